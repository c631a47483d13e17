#include "link/Tools.h"

#include "platform/Shell.h"
#include "support/FakeUi.h"

#include <gtest/gtest.h>

namespace {

using namespace ovena;
using ovena::test::FakeUi;

// A shell that answers a fixed code and records what it was asked to open.
class AnsweringShell : public Shell {
public:
    explicit AnsweringShell(int code) : code_(code) {}
    std::optional<std::string> fileTypeForExtension(const std::string&) override { return {}; }
    bool hasOpenCommand(const std::string&) override { return false; }
    std::optional<std::string> defaultIcon(const std::string&) override { return {}; }
    int openDocument(const std::string& path) override {
        opened.push_back(path);
        return code_;
    }
    std::vector<std::string> opened;

private:
    int code_;
};

TEST(Tools, BoxesCarryTheGermanCaptionsButtonsAndIcons) {
    FakeUi ui;
    ui.boxAnswers = {ModalResult::Yes, ModalResult::No};
    EXPECT_TRUE(ConfirmBox(ui, "Clear data memory in Instrument?"));
    EXPECT_FALSE(ConfirmBox(ui, "again?"));
    ErrorBox(ui, "Error TEV 640 communication");
    EXPECT_EQ(InfoBox(ui, "done"), ModalResult::Ok);

    ASSERT_EQ(ui.boxes.size(), 4u);
    const auto& confirm = ui.boxes[0];
    EXPECT_EQ(confirm.caption, "Best\xE4tigen");
    EXPECT_EQ(confirm.text, "Clear data memory in Instrument?");
    EXPECT_EQ(confirm.icon, MessageIcon::Question);
    ASSERT_EQ(confirm.buttons.size(), 2u);
    EXPECT_EQ(confirm.buttons[0].text, "&Ja");
    EXPECT_EQ(confirm.buttons[0].result, ModalResult::Yes);
    EXPECT_EQ(confirm.buttons[1].text, "&Nein");
    EXPECT_EQ(confirm.buttons[1].result, ModalResult::No);

    for (std::size_t i : {2u, 3u}) {
        ASSERT_EQ(ui.boxes[i].buttons.size(), 1u);
        EXPECT_EQ(ui.boxes[i].buttons[0].text, "OK");
        EXPECT_EQ(ui.boxes[i].buttons[0].result, ModalResult::Ok);
    }
    EXPECT_EQ(ui.boxes[2].caption, "Fehler");
    EXPECT_EQ(ui.boxes[2].icon, MessageIcon::Error);
    EXPECT_EQ(ui.boxes[2].text, "Error TEV 640 communication");
    EXPECT_EQ(ui.boxes[3].caption, "Information");
    EXPECT_EQ(ui.boxes[3].icon, MessageIcon::Information);
}

TEST(Tools, ConfirmBoxClosedWithoutChoosingIsNo) {
    FakeUi ui;
    ui.boxAnswers = {ModalResult::Cancel};
    EXPECT_FALSE(ConfirmBox(ui, "?"));
}

TEST(Tools, ShellErrorTexts) {
    EXPECT_EQ(ShellErrorText(0),
              "Zuwenig Speicher, Anwendung zerst\xF6rt oder Relokationswerte ung\xFCltig");
    EXPECT_EQ(ShellErrorText(2), "Anwendung nicht gefunden");
    EXPECT_EQ(ShellErrorText(11), "Ung\xFCltige ausf\xFChrbare Anwendnung.");
    EXPECT_EQ(ShellErrorText(21), "Anwendung ben\xF6tigt Windows-32-Bit-Erweiterungen.");
    EXPECT_EQ(ShellErrorText(31), "Ausf\xFChrungsfehler 31");
    EXPECT_EQ(ShellErrorText(32), "Ausf\xFChrungsfehler 32");
    EXPECT_EQ(ShellErrorText(-4), "Ausf\xFChrungsfehler -4");
    EXPECT_EQ(ShellErrorText(4), "Ausf\xFChrungsfehler 4");
    EXPECT_EQ(ShellErrorText(33), "");
    EXPECT_EQ(ShellErrorText(42), "");
}

TEST(Tools, OpenDocumentReportsAFailedRequestNamingTheHelpDocument) {
    FakeUi ui;
    AnsweringShell noApplication(31);
    EXPECT_FALSE(OpenDocument(ui, noApplication, "/opt/ovena/Ovena Help.pdf"));
    EXPECT_EQ(noApplication.opened, std::vector<std::string>{"/opt/ovena/Ovena Help.pdf"});
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].caption, "Information");
    EXPECT_EQ(ui.boxes[0].text, "Ausf\xFChrungsfehler 31  \"Ovena Help.PDF\"");

    AnsweringShell missing(2);
    EXPECT_FALSE(OpenDocument(ui, missing, "x.pdf"));
    EXPECT_EQ(ui.boxes.back().text, "Anwendung nicht gefunden  \"Ovena Help.PDF\"");

    AnsweringShell accepted(42);
    EXPECT_TRUE(OpenDocument(ui, accepted, "x.pdf"));
    EXPECT_EQ(ui.boxes.size(), 2u) << "success shows nothing";
}

} // namespace
