#include "app/mstart.h"
#include "support/FakeUi.h"

#include <gmock/gmock.h>
#include <optional>

namespace ovena {
namespace {

using test::FakeUi;

TEST(SingleInstance, ASecondCopyIsToldAndRefused) {
    FakeUi ui;
    std::optional<SingleInstanceGuard> first(std::in_place, "/opt/ovena/bin/ovena");
    EXPECT_TRUE(first->Admit(ui));
    EXPECT_TRUE(ui.boxes.empty());

    SingleInstanceGuard second("/elsewhere/ovena");
    EXPECT_FALSE(second.Admit(ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].text, "Programm l\xE4uft schon auf diesem Arbeitsplatz!");
    EXPECT_EQ(ui.boxes[0].caption, "ovena");
    ASSERT_EQ(ui.boxes[0].buttons.size(), 1u);
    EXPECT_EQ(ui.boxes[0].buttons[0].text, "OK");

    first.reset();
    SingleInstanceGuard third("/opt/ovena/bin/ovena");
    EXPECT_TRUE(third.Admit(ui));
}

TEST(SingleInstance, OtherProgramNamesDoNotCollide) {
    FakeUi ui;
    SingleInstanceGuard ovena("/usr/bin/ovena");
    SingleInstanceGuard cli("/usr/bin/ovena-cli");
    EXPECT_TRUE(ovena.Admit(ui));
    EXPECT_TRUE(cli.Admit(ui));
}

} // namespace
} // namespace ovena
