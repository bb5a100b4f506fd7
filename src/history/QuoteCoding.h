#pragma once

#include <string>
#include <string_view>

namespace tessalyn {

// The history file's own quoting of attribute values. A text with neither an
// apostrophe nor a double quote stays as it is; otherwise every apostrophe
// becomes ".'" and then every double quote ".''". Decoding a text that holds an
// apostrophe first turns every ".''" into a double quote, then every ".'" into
// an apostrophe; both passes scan left to right without re-reading replaced
// text, so decodeQuotes(encodeQuotes(t)) == t for every text t.
std::string encodeQuotes(std::string_view text);
std::string decodeQuotes(std::string_view text);

} // namespace tessalyn
