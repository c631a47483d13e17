#include "RegisterFixture.h"

namespace ovena::test {

using namespace archive;
using namespace std::chrono;

Plant samplePlant(const std::string& customer) {
    Plant plant;
    plant.customer = customer;
    plant.responsible = {"Zofia Węgierska", "WGRZFA80A41Z127X", ResponsibleRole::Administrator};
    plant.address = "Łódź, ulica Dvořákova 7";
    plant.registerCode = "PI-0042-Ω";
    plant.phone = "+48 42 123 45 67";
    plant.email = "zofia@example.pl";
    plant.notes = "key at the porter's;\n\"ring twice\"\\";
    plant.recordsGenerator = 2;
    HeatGenerator first;
    first.number = 1;
    first.maker = "Vaillant";
    first.kind = GeneratorKind::GasCondensing;
    first.fuel = "Erdgas H";
    first.burner = BurnerKind::GasWithFan;
    first.usefulPowerKw = 24.5;
    first.installedOn = 2010y / May / 31d;
    HeatGenerator second;
    second.number = 2;
    second.model = "Caldaia à basse température";
    second.serial = "SN 9";
    second.kind = GeneratorKind::LowTemperature;
    second.burner = BurnerKind::Atomising;
    second.heatInputKw = 0.1 + 0.2; // kept to the last bit
    second.manufacturedOn = 1999y / December / 1d;
    plant.generators = {first, second};
    return plant;
}

} // namespace ovena::test
