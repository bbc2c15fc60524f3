// Private header of the demo data: the base data and the parts of the
// generated names, in UTF-8.
#pragma once

#include <span>

namespace demo {

struct CodeName {
  const char* code;
  const char8_t* name;
};

std::span<const CodeName> DemoCompanies();    // TAXMA
std::span<const CodeName> DemoDepartments();  // CMSME
std::span<const CodeName> DemoPositions();    // CMSMJ, from the top down
std::span<const CodeName> DemoGrades();       // PALMH, from the top down
std::span<const CodeName> DemoEducation();    // PALMI, from the highest
std::span<const CodeName> DemoCurrencies();   // CMSMF
std::span<const char8_t* const> DemoSurnames();
std::span<const char8_t* const> DemoGivenNameParts();
std::span<const char8_t* const> DemoPhrases();
// The slip's change items 0001-0011 (TE007).
std::span<const CodeName> DemoChangeItems();

}  // namespace demo
