#include "archive/RegisterFields.h"

#include "archive/RegisterContent.h"
#include "archive/SearchKey.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace ovena::archive {

namespace {

struct FieldNames {
    PlantField field;
    std::string_view name;
    // Common headings, as `normalised` makes them.
    std::initializer_list<std::string_view> headings;
};

const std::array<FieldNames, 21>& fieldTable() {
    static const std::array<FieldNames, 21> table{{
        {PlantField::Customer,
         "customer",
         {"customernumber", "customerno", "customerid", "codiceimpianto", "codicecliente",
          "numerocliente", "ncliente", "kundennummer", "kundennr", "anlagennummer", "plantnumber"}},
        {PlantField::Responsible,
         "responsible",
         {"responsibleperson", "name", "customername", "owner", "responsabile", "nome",
          "nominativo", "cliente", "ragionesociale", "proprietario", "betreiber", "eigentumer",
          "kunde", "kundenname"}},
        {PlantField::TaxCode,
         "tax_code",
         {"taxid", "codicefiscale", "cf", "partitaiva", "piva", "steuernummer"}},
        {PlantField::Role, "role", {"ruolo", "qualifica", "rolle", "funktion"}},
        {PlantField::Address,
         "address",
         {"siteaddress", "indirizzo", "indirizzoimpianto", "ubicazione", "via", "adresse",
          "anschrift", "standort", "strasse"}},
        {PlantField::RegisterCode,
         "register_code",
         {"regionalregistercode", "codicecatasto", "catasto", "targa", "targaimpianto",
          "katasternummer", "registernummer"}},
        {PlantField::Phone,
         "phone",
         {"telephone", "tel", "mobile", "telefono", "cellulare", "telefon", "handy"}},
        {PlantField::Email, "email", {"mail", "emailaddress", "pec", "emailadresse"}},
        {PlantField::Notes,
         "notes",
         {"note", "remarks", "annotazioni", "osservazioni", "bemerkung", "bemerkungen", "notizen"}},
        {PlantField::RecordsGenerator, "records_generator", {}},
        {PlantField::Generator,
         "generator",
         {"gt", "generatornumber", "generatore", "numerogeneratore", "kessel", "kesselnummer",
          "warmeerzeuger"}},
        {PlantField::Maker,
         "maker",
         {"manufacturer", "make", "brand", "costruttore", "fabbricante", "marca", "hersteller"}},
        {PlantField::Model, "model", {"modello", "modell", "typ"}},
        {PlantField::Serial,
         "serial",
         {"serialnumber", "matricola", "numeroserie", "numerodiserie", "seriennummer",
          "fabriknummer"}},
        {PlantField::Kind,
         "kind",
         {"generatorkind", "generatortype", "tipo", "tipologia", "tipogeneratore", "art",
          "kesselart", "bauart"}},
        {PlantField::Fuel, "fuel", {"combustibile", "brennstoff"}},
        {PlantField::Burner,
         "burner",
         {"burnerkind", "burnertype", "bruciatore", "tipobruciatore", "brenner", "brennerart"}},
        {PlantField::UsefulPower,
         "useful_power_kw",
         {"pn", "usefulpower", "nominalpower", "power", "potenzautile", "potenzanominale",
          "potenzautilenominale", "nennleistung", "nennwarmeleistung", "leistung"}},
        {PlantField::HeatInput,
         "heat_input_kw",
         {"heatinput", "nominalheatinput", "portatatermica", "portatatermicanominale",
          "potenzaalfocolare", "nennwarmebelastung", "warmebelastung", "belastung"}},
        {PlantField::InstalledOn,
         "installed_on",
         {"installed", "installationdate", "datainstallazione", "installazione", "einbaudatum",
          "installationsdatum"}},
        {PlantField::ManufacturedOn,
         "manufactured_on",
         {"manufactured", "dateofmanufacture", "datacostruzione", "datafabbricazione",
          "herstelldatum", "herstellungsdatum"}},
    }};
    return table;
}

// Lower case, no accents, letters and digits only ("Potenza utile (kW)" -> "potenzautilekw").
std::string normalised(std::string_view text) {
    std::string key = searchKey(text);
    std::erase_if(key, [](char c) {
        return !((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c & 0x80) != 0);
    });
    return key;
}

template <class Enum> struct Choice {
    Enum value;
    std::initializer_list<std::string_view> names; // normalised
};

const Choice<ResponsibleRole> Roles[] = {
    {ResponsibleRole::Owner, {"owner", "proprietario", "eigentumer", "eigentuemer"}},
    {ResponsibleRole::Occupant,
     {"occupant", "tenant", "occupante", "inquilino", "mieter", "bewohner", "nutzer"}},
    {ResponsibleRole::Administrator,
     {"administrator", "amministratore", "verwalter", "hausverwaltung"}},
    {ResponsibleRole::ThirdParty, {"thirdparty", "terzoresponsabile", "terzo", "dritter"}},
};
const Choice<GeneratorKind> Kinds[] = {
    {GeneratorKind::Standard, {"standard", "tradizionale", "standardkessel"}},
    {GeneratorKind::LowTemperature,
     {"lowtemperature", "bassatemperatura", "niedertemperatur", "niedertemperaturkessel"}},
    {GeneratorKind::GasCondensing,
     {"gascondensing", "condensing", "condensazione", "acondensazione", "brennwert",
      "brennwertkessel", "gasbrennwert"}},
    {GeneratorKind::WarmAir,
     {"warmair", "ariacalda", "generatoreariacalda", "warmluft", "warmlufterzeuger"}},
    {GeneratorKind::Other, {"other", "altro", "sonstige", "andere"}},
};
const Choice<BurnerKind> Burners[] = {
    {BurnerKind::Atomising,
     {"atomising", "atomizing", "pressurised", "polverizzazione", "pressurizzato", "zerstauber",
      "zerstauberbrenner", "druckzerstauber"}},
    {BurnerKind::Vaporising,
     {"vaporising", "vaporizing", "vaporizzazione", "verdampfer", "verdampfungsbrenner"}},
    {BurnerKind::GasWithFan,
     {"gaswithfan", "fan", "forceddraught", "soffiato", "ventilato", "geblase", "geblasebrenner",
      "mitgeblase"}},
    {BurnerKind::Atmospheric, {"atmospheric", "atmosferico", "ohnegeblase", "atmospharisch"}},
};

template <class Enum, std::size_t N>
std::optional<Enum> choiceOf(const Choice<Enum> (&choices)[N], std::string_view text) {
    const std::string key = normalised(text);
    for (const Choice<Enum>& choice : choices)
        for (std::string_view name : choice.names)
            if (key == name)
                return choice.value;
    return std::nullopt;
}

template <class T>
T required(std::optional<T> value, std::string_view field, std::string_view text,
           std::string_view expected) {
    if (!value)
        throw ArchiveError(std::string(field) + " \"" + std::string(text) + "\" is not " +
                           std::string(expected));
    return *value;
}

HeatGenerator& generatorNumbered(Plant& plant, int number) {
    auto at = std::find_if(plant.generators.begin(), plant.generators.end(),
                           [&](const HeatGenerator& g) { return g.number >= number; });
    if (at == plant.generators.end() || at->number != number) {
        HeatGenerator added;
        added.number = number;
        at = plant.generators.insert(at, added);
    }
    return *at;
}

} // namespace

std::string_view fieldName(PlantField field) {
    return fieldTable()[static_cast<std::size_t>(field)].name;
}

std::optional<PlantField> fieldNamed(std::string_view name) {
    for (const FieldNames& names : fieldTable())
        if (names.name == name)
            return names.field;
    return std::nullopt;
}

std::optional<PlantField> fieldOfHeading(std::string_view heading) {
    const std::string key = normalised(heading);
    for (const FieldNames& names : fieldTable()) {
        if (key == normalised(names.name))
            return names.field;
        for (std::string_view name : names.headings)
            if (key == name || key == std::string(name) + "kw")
                return names.field;
    }
    return std::nullopt;
}

std::optional<ResponsibleRole> roleFromText(std::string_view text) {
    return choiceOf(Roles, text);
}
std::optional<GeneratorKind> generatorKindFromText(std::string_view text) {
    return choiceOf(Kinds, text);
}
std::optional<BurnerKind> burnerKindFromText(std::string_view text) {
    return choiceOf(Burners, text);
}

std::optional<double> powerFromText(std::string_view text) {
    std::string number(text);
    if (number.size() >= 2 && normalised(number.substr(number.size() - 2)) == "kw")
        number.resize(number.size() - 2);
    std::erase(number, ' ');
    if (std::count(number.begin(), number.end(), ',') == 1 && number.find('.') == std::string::npos)
        number[number.find(',')] = '.';
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || end != number.data() + number.size() || !std::isfinite(value) ||
        value < 0)
        return std::nullopt;
    return value;
}

std::optional<Date> dateFromText(std::string_view text) {
    if (std::optional<Date> iso = isoDate(text))
        return iso;
    unsigned parts[3] = {};
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (at >= text.size() || (text[at] != '/' && text[at] != '.' && text[at] != '-'))
                return std::nullopt;
            ++at;
        }
        const auto [end, error] =
            std::from_chars(text.data() + at, text.data() + text.size(), parts[i]);
        if (error != std::errc())
            return std::nullopt;
        at = static_cast<std::size_t>(end - text.data());
    }
    if (at != text.size() || parts[2] < 1000)
        return std::nullopt;
    const Date date{std::chrono::year{static_cast<int>(parts[2])}, std::chrono::month{parts[1]},
                    std::chrono::day{parts[0]}};
    return date.ok() ? std::optional<Date>(date) : std::nullopt;
}

std::optional<int> generatorNumberFromText(std::string_view text) {
    if (text.size() > 2 && normalised(text.substr(0, 2)) == "gt")
        text.remove_prefix(2);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 1)
        return std::nullopt;
    return number;
}

void setField(Plant& plant, int generatorNumber, PlantField field, std::string_view text) {
    const auto generator = [&]() -> HeatGenerator& {
        return generatorNumbered(plant, generatorNumber);
    };
    switch (field) {
    case PlantField::Customer:
        plant.customer = utf8ToCp1252(text);
        break;
    case PlantField::Generator: // only checked: the caller picks the generator
        required(generatorNumberFromText(text), "the generator", text, "a number from 1");
        break;
    case PlantField::Responsible:
        plant.responsible.name = text;
        break;
    case PlantField::TaxCode:
        plant.responsible.taxCode = text;
        break;
    case PlantField::Role:
        plant.responsible.role = required(roleFromText(text), "the role", text,
                                          "owner, occupant, administrator or third party");
        break;
    case PlantField::Address:
        plant.address = text;
        break;
    case PlantField::RegisterCode:
        plant.registerCode = text;
        break;
    case PlantField::Phone:
        plant.phone = text;
        break;
    case PlantField::Email:
        plant.email = text;
        break;
    case PlantField::Notes:
        plant.notes = text;
        break;
    case PlantField::RecordsGenerator:
        plant.recordsGenerator = required(generatorNumberFromText(text), "the records' generator",
                                          text, "a number from 1");
        break;
    case PlantField::Maker:
        generator().maker = text;
        break;
    case PlantField::Model:
        generator().model = text;
        break;
    case PlantField::Serial:
        generator().serial = text;
        break;
    case PlantField::Kind:
        generator().kind = required(generatorKindFromText(text), "the kind", text,
                                    "standard, low temperature, gas condensing, warm air or other");
        break;
    case PlantField::Fuel:
        generator().fuel = text;
        break;
    case PlantField::Burner:
        generator().burner = required(burnerKindFromText(text), "the burner", text,
                                      "atomising, vaporising, gas with fan or atmospheric");
        break;
    case PlantField::UsefulPower:
        generator().usefulPowerKw =
            required(powerFromText(text), "the power", text, "a number of kW");
        break;
    case PlantField::HeatInput:
        generator().heatInputKw =
            required(powerFromText(text), "the heat input", text, "a number of kW");
        break;
    case PlantField::InstalledOn:
        generator().installedOn =
            required(dateFromText(text), "the installation date", text, "a date");
        break;
    case PlantField::ManufacturedOn:
        generator().manufacturedOn =
            required(dateFromText(text), "the date of manufacture", text, "a date");
        break;
    }
}

} // namespace ovena::archive
