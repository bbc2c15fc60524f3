// make-language-file OUTPUT: writes the character mapping file "Language".
#include <cstdio>
#include <exception>
#include <fstream>

#include "LanguageTable.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
    return 2;
  }
  try {
    std::string text = corvane::tools::LanguageFileText(corvane::tools::BuildLanguageTables());
    std::ofstream out(argv[1], std::ios::binary);
    out << text;
    out.close();
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", argv[1]);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
