#pragma once

#include "data/RepertoryData.h"

#include <optional>
#include <string>

namespace tessalyn {

// Name of the optional text overlay, looked for in the current directory.
inline constexpr const char* kOverlayFileName = "orvento.lang";

// Replaces the texts of chapters I to VII from the overlay file, one CR LF line
// per record: each chapter title, then per heading the heading text followed by
// the texts of its rubrics. A missing, unreadable or empty file changes
// nothing; a short file blanks the remaining records. Lines longer than a text
// field are cut to the field. Reading never blocks and stops after the bytes
// the records can hold (every field full, each line with CR LF), so a huge
// file is never read whole. Something that is not a regular file (a FIFO, a
// device) changes nothing and is reported: the returned text (Windows-1252)
// names the file; otherwise nothing is returned.
std::optional<std::string> loadOverlay(RepertoryData& data,
                                       const std::string& path = kOverlayFileName);

// Number of chapters whose texts the overlay replaces.
inline constexpr int kOverlayChapterCount = 7;

} // namespace tessalyn
