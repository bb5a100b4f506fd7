#pragma once

// Names of the settings sections and values. All texts are Windows-1252.

#include "data/Cp1252.h"

namespace tessalyn::settings {

// Sections. The options stand in the application's top level.
inline constexpr const char* kApplication = "";
inline constexpr const char* kSettingsSection = "Settings";

// Options, with the type and range each one accepts.
inline constexpr const char* kPolarityMode = "PolaritätenHandhabung"_cp1252; // int 0..2
inline constexpr const char* kAskBeforeQuit = "FragenBeimBeenden";           // int 0/1
inline constexpr const char* kAskBeforeQuitX = "FragenBeimBeendenX";         // int 0/1
inline constexpr const char* kAskBeforeDelete = "FragenBeimLoeschen";        // int 0/1
inline constexpr const char* kJumpToEnd = "SprungEnde";                      // int 0/1
inline constexpr const char* kSaveColumnWidths = "Spaltenbreite";            // int 0/1
inline constexpr const char* kEscapeDiscards = "EscapeLoescht";              // int 0/1
inline constexpr const char* kNoGreyInPrint = "KeinGrauBeimDruck";           // int 0/1
inline constexpr const char* kFontName = "FontName";                         // string
inline constexpr const char* kFontSize = "FontSize";                         // int, pixels
inline constexpr const char* kStartDelay = "Startverzögerung"_cp1252;        // int 0..10

// Other values.
inline constexpr const char* kHistorySortOrder = "Sortierung";        // int, default 1
inline constexpr const char* kCurrentDirectory = "Current Directory"; // in kSettingsSection
// int 0/1, default 1, in kSettingsSection: whether the text search translates
// German query words (its check box "Deutsche Suchwoerter uebersetzen").
inline constexpr const char* kTranslateGermanWords = "DeutscheSuchwoerter";
// string, in kSettingsSection: the folder "Als PDF..." last saved into.
inline constexpr const char* kPdfDirectory = "PDF-Ordner";
// int 0/1, default 1: whether the result view shows its bar chart.
inline constexpr const char* kRankingChart = "Balkendiagramm";

// Window placements: section names and the values in each.
inline constexpr const char* kPlacementMain = "Dialog/Eingabe";
inline constexpr const char* kPlacementResult = "Dialog/Ergebnis";
inline constexpr const char* kPlacementSettings = "Dialog/Eigenschaften";
inline constexpr const char* kPlacementFileCase = "Dialog/FallAblegen";
inline constexpr const char* kPlacementHistory = "Dialog/Historie";
inline constexpr const char* kPlacementRemedyOverview = "Dialog/Mittelübersicht"_cp1252;
inline constexpr const char* kPlacementSymptomSearch = "Dialog/Symptomsuche";
inline constexpr const char* kPlacementTextSearch = "Dialog/Textsuche";

inline constexpr const char* kPlacementCheck = "(check)";
inline constexpr const char* kPlacementLeft = "Left";
inline constexpr const char* kPlacementRight = "Right";
inline constexpr const char* kPlacementTop = "Top";
inline constexpr const char* kPlacementBottom = "Bottom";
inline constexpr const char* kPlacementState = "State";

// Column widths: section names; the values are "Col0", "Col1", ...
inline constexpr const char* kColumnsMain = "Spalten/Eingabe";
inline constexpr const char* kColumnsResult = "Spalten/Ergebnis";
inline constexpr const char* kColumnsRemedyOverview = "Spalten/Mittelübersicht"_cp1252;
inline constexpr const char* kColumnsTextSearch = "Spalten/Textsuche";

} // namespace tessalyn::settings
