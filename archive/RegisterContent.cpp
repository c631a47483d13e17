#include "archive/RegisterContent.h"

#include <openssl/evp.h>

#include <array>
#include <charconv>
#include <utility>

namespace ovena::archive {

namespace {

constexpr std::array RoleNames{std::pair{ResponsibleRole::Owner, "owner"},
                               std::pair{ResponsibleRole::Occupant, "occupant"},
                               std::pair{ResponsibleRole::Administrator, "administrator"},
                               std::pair{ResponsibleRole::ThirdParty, "third party"}};
constexpr std::array KindNames{std::pair{GeneratorKind::Standard, "standard"},
                               std::pair{GeneratorKind::LowTemperature, "low temperature"},
                               std::pair{GeneratorKind::GasCondensing, "gas condensing"},
                               std::pair{GeneratorKind::WarmAir, "warm air"},
                               std::pair{GeneratorKind::Other, "other"}};
constexpr std::array BurnerNames{std::pair{BurnerKind::Atomising, "atomising"},
                                 std::pair{BurnerKind::Vaporising, "vaporising"},
                                 std::pair{BurnerKind::GasWithFan, "gas with fan"},
                                 std::pair{BurnerKind::Atmospheric, "atmospheric"}};

template <class Enum, std::size_t N>
std::string_view nameIn(const std::array<std::pair<Enum, const char*>, N>& names, Enum value) {
    for (const auto& [v, name] : names)
        if (v == value)
            return name;
    return {};
}

template <class Enum, std::size_t N>
std::optional<Enum> valueIn(const std::array<std::pair<Enum, const char*>, N>& names,
                            std::string_view name) {
    for (const auto& [v, n] : names)
        if (name == n)
            return v;
    return std::nullopt;
}

std::string base64(std::string_view bytes) {
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                                       reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

std::string fromBase64(std::string_view text) {
    std::string bytes(3 * (text.size() / 4) + 3, '\0');
    const int length = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(bytes.data()),
                                       reinterpret_cast<const unsigned char*>(text.data()),
                                       static_cast<int>(text.size()));
    if (length < 0)
        return {};
    std::size_t size = static_cast<std::size_t>(length);
    // The decoder counts the padding as zero bytes.
    for (std::size_t i = text.size(); i > 0 && text[i - 1] == '=' && size > 0; --i)
        --size;
    bytes.resize(size);
    return bytes;
}

class ContentWriter {
public:
    void text(std::string_view name, std::string_view value) {
        if (value.empty())
            return;
        content_.append(name).push_back('=');
        for (char c : value) {
            if (c == '\\')
                content_ += "\\\\";
            else if (c == '\n')
                content_ += "\\n";
            else if (c == '\r')
                content_ += "\\r";
            else
                content_ += c;
        }
        content_ += '\n';
    }
    void number(std::string_view name, std::optional<double> value) {
        if (value)
            text(name, numberText(*value));
    }
    void date(std::string_view name, std::optional<Date> value) {
        if (value)
            text(name, dateText(*value));
    }
    void section(std::string_view name, int number) { text(name, std::to_string(number)); }

    std::string take() { return std::move(content_); }

private:
    std::string content_;
};

// Calls onField(name, value) for each line, unescaped.
template <class OnField> void readContent(std::string_view content, OnField onField) {
    while (!content.empty()) {
        const std::size_t end = content.find('\n');
        const std::string_view line = content.substr(0, end);
        content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string value;
        for (std::size_t i = equals + 1; i < line.size(); ++i) {
            if (line[i] == '\\' && i + 1 < line.size()) {
                const char next = line[++i];
                value += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
            } else {
                value += line[i];
            }
        }
        onField(line.substr(0, equals), value);
    }
}

std::optional<double> numberIn(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int wholeNumberIn(const std::string& text, int otherwise) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size() ? value : otherwise;
}

void writeGenerator(ContentWriter& out, const HeatGenerator& g) {
    out.section("generator", g.number);
    out.text("maker", g.maker);
    out.text("model", g.model);
    out.text("serial", g.serial);
    if (g.kind)
        out.text("kind", nameOf(*g.kind));
    out.text("fuel", g.fuel);
    if (g.burner)
        out.text("burner", nameOf(*g.burner));
    out.number("useful_power_kw", g.usefulPowerKw);
    out.number("heat_input_kw", g.heatInputKw);
    out.date("installed_on", g.installedOn);
    out.date("manufactured_on", g.manufacturedOn);
}

void readGeneratorField(HeatGenerator& g, std::string_view name, const std::string& value) {
    if (name == "maker")
        g.maker = value;
    else if (name == "model")
        g.model = value;
    else if (name == "serial")
        g.serial = value;
    else if (name == "kind")
        g.kind = generatorKindNamed(value);
    else if (name == "fuel")
        g.fuel = value;
    else if (name == "burner")
        g.burner = burnerKindNamed(value);
    else if (name == "useful_power_kw")
        g.usefulPowerKw = numberIn(value);
    else if (name == "heat_input_kw")
        g.heatInputKw = numberIn(value);
    else if (name == "installed_on")
        g.installedOn = isoDate(value);
    else if (name == "manufactured_on")
        g.manufacturedOn = isoDate(value);
}

} // namespace

std::string_view nameOf(ResponsibleRole role) {
    return nameIn(RoleNames, role);
}
std::string_view nameOf(GeneratorKind kind) {
    return nameIn(KindNames, kind);
}
std::string_view nameOf(BurnerKind burner) {
    return nameIn(BurnerNames, burner);
}
std::optional<ResponsibleRole> roleNamed(std::string_view name) {
    return valueIn(RoleNames, name);
}
std::optional<GeneratorKind> generatorKindNamed(std::string_view name) {
    return valueIn(KindNames, name);
}
std::optional<BurnerKind> burnerKindNamed(std::string_view name) {
    return valueIn(BurnerNames, name);
}

std::string dateText(Date date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
    return text;
}

std::optional<Date> isoDate(std::string_view text) {
    int year = 0;
    unsigned month = 0, day = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const auto field = [&](std::size_t at, std::size_t length, auto& value) {
        const auto [end, error] =
            std::from_chars(text.data() + at, text.data() + at + length, value);
        return error == std::errc() && end == text.data() + at + length;
    };
    if (!field(0, 4, year) || !field(5, 2, month) || !field(8, 2, day))
        return std::nullopt;
    const Date date{std::chrono::year{year}, std::chrono::month{month}, std::chrono::day{day}};
    return date.ok() ? std::optional<Date>(date) : std::nullopt;
}

std::string numberText(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string plantContent(const Plant& plant) {
    ContentWriter out;
    out.text("responsible", plant.responsible.name);
    out.text("tax_code", plant.responsible.taxCode);
    if (plant.responsible.role)
        out.text("role", nameOf(*plant.responsible.role));
    out.text("address", plant.address);
    out.text("register_code", plant.registerCode);
    out.text("phone", plant.phone);
    out.text("email", plant.email);
    out.text("notes", plant.notes);
    out.section("records_generator", plant.recordsGenerator);
    for (const HeatGenerator& g : plant.generators)
        writeGenerator(out, g);
    return out.take();
}

Plant plantFromContent(std::string_view customer, std::string_view content) {
    Plant plant;
    plant.customer = customer;
    HeatGenerator* generator = nullptr;
    readContent(content, [&](std::string_view name, const std::string& value) {
        if (name == "generator") {
            generator = &plant.generators.emplace_back();
            generator->number = wholeNumberIn(value, 0);
        } else if (generator) {
            readGeneratorField(*generator, name, value);
        } else if (name == "responsible") {
            plant.responsible.name = value;
        } else if (name == "tax_code") {
            plant.responsible.taxCode = value;
        } else if (name == "role") {
            plant.responsible.role = roleNamed(value);
        } else if (name == "address") {
            plant.address = value;
        } else if (name == "register_code") {
            plant.registerCode = value;
        } else if (name == "phone") {
            plant.phone = value;
        } else if (name == "email") {
            plant.email = value;
        } else if (name == "notes") {
            plant.notes = value;
        } else if (name == "records_generator") {
            plant.recordsGenerator = wholeNumberIn(value, 1);
        }
    });
    return plant;
}

std::string instrumentContent(const InstrumentEntry& instrument) {
    ContentWriter out;
    out.text("model", instrument.model);
    out.date("calibrated_on", instrument.calibratedOn);
    out.text("calibrated_by", instrument.calibratedBy);
    return out.take();
}

InstrumentEntry instrumentFromContent(std::string_view serial, std::string_view content) {
    InstrumentEntry instrument;
    instrument.serial = serial;
    readContent(content, [&](std::string_view name, const std::string& value) {
        if (name == "model")
            instrument.model = value;
        else if (name == "calibrated_on")
            instrument.calibratedOn = isoDate(value);
        else if (name == "calibrated_by")
            instrument.calibratedBy = value;
    });
    return instrument;
}

std::string companyContent(const Company& company) {
    ContentWriter out;
    out.text("name", company.name);
    out.text("address", company.address);
    out.text("vat_number", company.vatNumber);
    out.text("rea_code", company.reaCode);
    out.text("logo", base64(company.logo));
    for (std::size_t i = 0; i < company.technicians.size(); ++i) {
        const Technician& t = company.technicians[i];
        out.section("technician", static_cast<int>(i + 1));
        out.text("name", t.name);
        out.text("surname", t.surname);
        out.text("licence", t.licence);
    }
    return out.take();
}

Company companyFromContent(std::string_view content) {
    Company company;
    Technician* technician = nullptr;
    readContent(content, [&](std::string_view name, const std::string& value) {
        if (name == "technician")
            technician = &company.technicians.emplace_back();
        else if (technician && name == "name")
            technician->name = value;
        else if (technician && name == "surname")
            technician->surname = value;
        else if (technician && name == "licence")
            technician->licence = value;
        else if (name == "name")
            company.name = value;
        else if (name == "address")
            company.address = value;
        else if (name == "vat_number")
            company.vatNumber = value;
        else if (name == "rea_code")
            company.reaCode = value;
        else if (name == "logo")
            company.logo = fromBase64(value);
    });
    return company;
}

} // namespace ovena::archive
