#include "archive/RegisterCsv.h"

#include "archive/RegisterContent.h"
#include "archive/SearchKey.h"

#include "platform/Cp1252.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <map>

namespace ovena::archive {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

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

// "24", "24.5", "24,5", "24,5 kW".
std::optional<double> powerOf(std::string_view text) {
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

// "2010-05-31", or day first as Italy and Germany write it: "31/05/2010", "31.5.2010",
// "31-05-2010".
std::optional<Date> dateOf(std::string_view text) {
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

// A generator's number: "2" or "GT2".
std::optional<int> generatorNumberOf(std::string_view text) {
    if (text.size() > 2 && normalised(text.substr(0, 2)) == "gt")
        text.remove_prefix(2);
    int number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < 1)
        return std::nullopt;
    return number;
}

template <class T>
T required(std::optional<T> value, std::string_view field, std::string_view text,
           std::string_view expected) {
    if (!value)
        throw ArchiveError(std::string(field) + " \"" + std::string(text) + "\" is not " +
                           std::string(expected));
    return *value;
}

// Sets the row's values on the plant. Throws ArchiveError with the reason a value cannot be
// read.
void applyRow(Plant& plant, const CsvRow& row) {
    int number = 1;
    for (const auto& [field, text] : row.values)
        if (field == PlantField::Generator)
            number = required(generatorNumberOf(text), "the generator", text, "a number from 1");
    HeatGenerator* generator = nullptr;
    const auto gen = [&]() -> HeatGenerator& {
        if (!generator) {
            auto at = std::find_if(plant.generators.begin(), plant.generators.end(),
                                   [&](const HeatGenerator& g) { return g.number >= number; });
            if (at == plant.generators.end() || at->number != number) {
                HeatGenerator added;
                added.number = number;
                at = plant.generators.insert(at, added);
            }
            generator = &*at;
        }
        return *generator;
    };
    for (const auto& [field, text] : row.values) {
        switch (field) {
        case PlantField::Customer:
        case PlantField::Generator:
            break;
        case PlantField::Responsible:
            plant.responsible.name = text;
            break;
        case PlantField::TaxCode:
            plant.responsible.taxCode = text;
            break;
        case PlantField::Role:
            plant.responsible.role = required(choiceOf(Roles, text), "the role", text,
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
            plant.recordsGenerator = required(generatorNumberOf(text), "the records' generator",
                                              text, "a number from 1");
            break;
        case PlantField::Maker:
            gen().maker = text;
            break;
        case PlantField::Model:
            gen().model = text;
            break;
        case PlantField::Serial:
            gen().serial = text;
            break;
        case PlantField::Kind:
            gen().kind = required(choiceOf(Kinds, text), "the kind", text,
                                  "standard, low temperature, gas condensing, warm air or other");
            break;
        case PlantField::Fuel:
            gen().fuel = text;
            break;
        case PlantField::Burner:
            gen().burner = required(choiceOf(Burners, text), "the burner", text,
                                    "atomising, vaporising, gas with fan or atmospheric");
            break;
        case PlantField::UsefulPower:
            gen().usefulPowerKw = required(powerOf(text), "the power", text, "a number of kW");
            break;
        case PlantField::HeatInput:
            gen().heatInputKw = required(powerOf(text), "the heat input", text, "a number of kW");
            break;
        case PlantField::InstalledOn:
            gen().installedOn = required(dateOf(text), "the installation date", text, "a date");
            break;
        case PlantField::ManufacturedOn:
            gen().manufacturedOn =
                required(dateOf(text), "the date of manufacture", text, "a date");
            break;
        }
    }
}

Plant plantNumbered(const std::string& customer) {
    Plant plant;
    plant.customer = customer;
    return plant;
}

// The customer number of a row as the instrument stores it.
std::string customerOf(const CsvRow& row) {
    for (const auto& [field, text] : row.values)
        if (field == PlantField::Customer)
            return utf8ToCp1252(text);
    return {};
}

// Splits the text into rows of cells, RFC 4180 style: a quoted cell may hold separators,
// line breaks and doubled quotes. Calls onRow(line, cells) for each row; answers the line of
// a quote never closed, or 0.
template <class OnRow> int splitRows(std::string_view text, char separator, OnRow onRow) {
    std::vector<std::string> cells(1);
    int line = 1, rowLine = 1;
    bool quoted = false, rowStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                cells.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                line += c == '\n' ? 1 : 0;
                cells.back() += c;
            }
        } else if (c == '"' && cells.back().empty()) {
            quoted = rowStarted = true;
        } else if (c == separator) {
            cells.emplace_back();
            rowStarted = true;
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            if (rowStarted || !cells.back().empty())
                onRow(rowLine, cells);
            cells.assign(1, {});
            rowStarted = false;
            rowLine = ++line;
        } else {
            cells.back() += c;
            rowStarted = true;
        }
    }
    if (quoted)
        return rowLine;
    if (rowStarted || !cells.back().empty())
        onRow(rowLine, cells);
    return 0;
}

// The separator the first row uses most, outside quotes.
char separatorOf(std::string_view text) {
    constexpr std::string_view Candidates = ";,\t|";
    std::array<int, 4> counts{};
    bool quoted = false;
    for (char c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && Candidates.find(c) != std::string_view::npos)
            ++counts[Candidates.find(c)];
    }
    return Candidates[static_cast<std::size_t>(std::max_element(counts.begin(), counts.end()) -
                                               counts.begin())];
}

// Applies "field=column" assignments to the columns.
void assign(CsvReading& reading, const std::vector<std::string>& assignments) {
    for (const std::string& assignment : assignments) {
        const std::size_t equals = assignment.find('=');
        const std::string name = assignment.substr(0, equals);
        const auto known = std::find_if(fieldTable().begin(), fieldTable().end(),
                                        [&](const FieldNames& f) { return f.name == name; });
        if (equals == std::string::npos || known == fieldTable().end())
            throw ArchiveError("\"" + assignment + "\" is not field=column with a field of the " +
                               "register (customer, responsible, address, ...)");
        const std::string column = assignment.substr(equals + 1);
        auto at = std::find(reading.headings.begin(), reading.headings.end(), column);
        std::size_t index = static_cast<std::size_t>(at - reading.headings.begin());
        if (at == reading.headings.end()) {
            int number = 0;
            const auto [end, error] =
                std::from_chars(column.data(), column.data() + column.size(), number);
            if (error != std::errc() || end != column.data() + column.size() || number < 1 ||
                static_cast<std::size_t>(number) > reading.headings.size())
                throw ArchiveError("the file has no column \"" + column + "\"");
            index = static_cast<std::size_t>(number - 1);
        }
        for (std::optional<PlantField>& field : reading.columns)
            if (field == known->field)
                field.reset();
        reading.columns[index] = known->field;
    }
}

void quoteCell(std::string& out, std::string_view cell) {
    if (cell.find_first_of(";\"\r\n") == std::string_view::npos) {
        out += cell;
        return;
    }
    out += '"';
    for (char c : cell) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

} // namespace

std::string_view fieldName(PlantField field) {
    return fieldTable()[static_cast<std::size_t>(field)].name;
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

std::vector<Plant> CsvReading::plants() const {
    std::vector<Plant> plants;
    std::map<std::string, std::size_t> byCustomer;
    for (const CsvRow& row : rows) {
        const std::string customer = customerOf(row);
        auto [at, added] = byCustomer.emplace(customer, plants.size());
        if (added)
            plants.push_back(plantNumbered(customer));
        applyRow(plants[at->second], row);
    }
    return plants;
}

CsvReading readPlantsCsv(std::string_view bytes, const std::vector<std::string>& assignments) {
    CsvReading reading;
    std::string text;
    if (bytes.starts_with(ByteOrderMark)) {
        text = bytes.substr(ByteOrderMark.size());
    } else if (isUtf8(bytes)) {
        text = bytes;
    } else {
        reading.encoding = CsvEncoding::Windows1252;
        text = cp1252ToUtf8(bytes);
    }
    if (!isUtf8(text))
        throw ArchiveError("the file is neither UTF-8 nor Windows-1252 text");
    reading.separator = separatorOf(text);

    bool heading = true;
    const int unclosed =
        splitRows(text, reading.separator, [&](int line, const std::vector<std::string>& cells) {
            if (heading) {
                heading = false;
                reading.headings = cells;
                for (const std::string& cell : cells)
                    reading.columns.push_back(fieldOfHeading(cell));
                assign(reading, assignments);
                if (std::find(reading.columns.begin(), reading.columns.end(),
                              PlantField::Customer) == reading.columns.end())
                    throw ArchiveError("no column of the file holds the customer number (name it "
                                       "\"customer\", \"Codice impianto\" or \"Kundennummer\", or "
                                       "assign one: customer=COLUMN)");
                return;
            }
            if (std::all_of(cells.begin(), cells.end(),
                            [](const std::string& c) { return c.empty(); }))
                return;
            CsvRow row{line, {}};
            for (std::size_t i = 0; i < cells.size(); ++i) {
                if (i >= reading.columns.size()) {
                    if (!cells[i].empty()) {
                        reading.problems.push_back(
                            {line, std::to_string(cells.size()) + " cells, the heading row has " +
                                       std::to_string(reading.columns.size())});
                        return;
                    }
                } else if (reading.columns[i] && !cells[i].empty()) {
                    row.values.emplace_back(*reading.columns[i], cells[i]);
                }
            }
            const std::string customer = customerOf(row);
            if (customer.empty()) {
                reading.problems.push_back({line, "no customer number"});
                return;
            }
            if (cp1252ToUtf8(customer) !=
                std::find_if(row.values.begin(), row.values.end(), [](const auto& v) {
                    return v.first == PlantField::Customer;
                })->second) {
                reading.problems.push_back({line, "the customer number holds a character no "
                                                  "instrument can"});
                return;
            }
            try {
                Plant scratch = plantNumbered(customer);
                applyRow(scratch, row);
            } catch (const ArchiveError& e) {
                reading.problems.push_back({line, e.what()});
                return;
            }
            reading.rows.push_back(std::move(row));
        });
    if (heading)
        throw ArchiveError("the file has no heading row");
    if (unclosed > 0)
        reading.problems.push_back({unclosed, "a quote opened here is never closed; the rest of "
                                              "the file is left out"});
    return reading;
}

CsvImport importPlants(PlantRegister& plants, const CsvReading& reading) {
    std::vector<Plant> merged;
    std::map<std::string, std::size_t> byCustomer;
    for (const CsvRow& row : reading.rows) {
        const std::string customer = customerOf(row);
        auto [at, added] = byCustomer.emplace(customer, merged.size());
        if (added)
            merged.push_back(plants.plant(customer).value_or(plantNumbered(customer)));
        applyRow(merged[at->second], row);
    }
    CsvImport result;
    result.plants = static_cast<int>(merged.size());
    result.changed = plants.savePlants(merged);
    return result;
}

std::string plantsCsv(const std::vector<Plant>& plants) {
    std::string out(ByteOrderMark);
    for (const FieldNames& names : fieldTable()) {
        if (names.field != PlantField::Customer)
            out += ';';
        out += names.name;
    }
    out += "\r\n";
    const auto optionalText = [](auto value, auto toText) {
        return value ? std::string(toText(*value)) : std::string();
    };
    const auto nameOfRole = [](ResponsibleRole r) { return nameOf(r); };
    const auto nameOfKind = [](GeneratorKind k) { return nameOf(k); };
    const auto nameOfBurner = [](BurnerKind b) { return nameOf(b); };
    for (const Plant& plant : plants) {
        const std::vector<HeatGenerator> generators =
            plant.generators.empty() ? std::vector<HeatGenerator>{HeatGenerator{}}
                                     : plant.generators;
        for (const HeatGenerator& g : generators) {
            const bool none = plant.generators.empty();
            const std::string cells[] = {
                cp1252ToUtf8(plant.customer),
                plant.responsible.name,
                plant.responsible.taxCode,
                optionalText(plant.responsible.role, nameOfRole),
                plant.address,
                plant.registerCode,
                plant.phone,
                plant.email,
                plant.notes,
                std::to_string(plant.recordsGenerator),
                none ? "" : std::to_string(g.number),
                g.maker,
                g.model,
                g.serial,
                optionalText(g.kind, nameOfKind),
                g.fuel,
                optionalText(g.burner, nameOfBurner),
                optionalText(g.usefulPowerKw, numberText),
                optionalText(g.heatInputKw, numberText),
                optionalText(g.installedOn, dateText),
                optionalText(g.manufacturedOn, dateText),
            };
            for (std::size_t i = 0; i < std::size(cells); ++i) {
                if (i > 0)
                    out += ';';
                quoteCell(out, cells[i]);
            }
            out += "\r\n";
        }
    }
    return out;
}

} // namespace ovena::archive
