#pragma once

#include "case/CaseEntry.h"
#include "history/CaseHistory.h"
#include "history/SafeFile.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace tessalyn::test_support {

// No symptoms: a treatment filed with an empty case.
inline const std::vector<FilingEntry> kNoEntries;

// The symptoms of a treatment to file, none of them added automatically.
inline std::vector<FilingEntry> filingEntries(std::initializer_list<SymptomRef> refs) {
    std::vector<FilingEntry> list;
    for (const SymptomRef& r : refs) {
        list.push_back({r, false});
    }
    return list;
}

// Case rows for (number, bd) pairs, as the program files them from its case.
inline std::vector<CaseEntry> caseEntries(std::initializer_list<std::pair<int, int>> refs) {
    std::vector<CaseEntry> list;
    for (const auto& [number, bd] : refs) {
        list.emplace_back(number, bd);
    }
    return list;
}

// A history file of one case, "Kopfschmerz", with one treatment of two
// symptoms, byte for byte as the program writes it.
inline const char* const kKopfschmerz =
    "<Fallhistorie AnzahlFaelle=\"1\">\r\n"
    "\t<Fall Name=\"Kopfschmerz\" AnzahlBehandlungen=\"1\">\r\n"
    "\t\t<Behandlung Datum=\"06.12.2026 16:05\" Kommentar=\"erste Sitzung\" Preferiert=\"0\" "
    "AnzahlSymptome=\"2\">\r\n"
    "\t\t\t<Symptom Nummer=\"12\"/>\r\n"
    "\t\t\t<Symptom Nummer=\"-7\" BD=\"2\"/>\r\n"
    "\t\t</Behandlung>\r\n"
    "\t</Fall>\r\n"
    "</Fallhistorie>\r\n";

// A file layer whose renames fail, so a save fails at its last step and the
// file stays as it was.
class RefusingLayer : public SystemFileLayer {
public:
    bool rename(const std::string&, const std::string&) override {
        setLastError("Umbenennen misslungen");
        return false;
    }
};

} // namespace tessalyn::test_support
