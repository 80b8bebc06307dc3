#pragma once

#include "text/memory_document.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

// A dotted field path ("meta.text") split into its keys; an empty key (as in
// "a..b") makes the path invalid and gives an empty list.
std::vector<std::string> SplitFieldPath(std::string_view dotted);

// Where a string lies in a JSON text: the bytes between its quotes.
struct TJsonSpan
{
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// Checks that record is one JSON object (whitespace around it allowed; a UTF-8
// text with nesting at most 256 deep) and lists the bodies of the string
// values at path, in order (more than one when a key repeats). On malformed
// input returns false with a short reason (UTF-8) in error.
bool FindJsonStrings(std::string_view record, const std::vector<std::string>& path,
    std::vector<TJsonSpan>& strings, std::string& error);

// One character of a JSON string body and the bytes that spell it.
struct TJsonChar
{
    char32_t Code = 0;
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// The characters of a string body that FindJsonStrings accepted. A lone
// surrogate escape gives U+FFFD.
std::vector<TJsonChar> DecodeJsonString(std::string_view body);
// One character of such a body, at i; i moves past it.
TJsonChar NextJsonChar(std::string_view body, std::size_t& i);

// A replacement in a record: the bytes [Begin, End) are to be spelt as Text.
struct TJsonEdit
{
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::string Text;
};

// Restores the strings at path in a JSON Lines record. Each string is handed
// to restore as a document read the way a UTF-8 text file is; the letters it
// changes are written back where they stand, spelt as the record spelt them
// (raw UTF-8 or a \u escape), and every other byte of the record stays as it
// was. Returns false with a reason for a malformed record, which is then left
// untouched; true (with nothing done) when the field is missing or no string.
// The same, leaving the record as it is: the replacements are handed to
// edited one at a time, in order, as they are found (none before the whole
// record is known to be well formed), for a caller that writes the record out
// with them and keeps none of them.
bool FindJsonEdits(std::string_view record, const std::vector<std::string>& path,
    const std::function<void(MemoryDocument&)>& restore, const std::function<void(const TJsonEdit&)>& edited,
    std::string& error);
bool RestoreJsonRecord(std::string& record, const std::vector<std::string>& path,
    const std::function<void(MemoryDocument&)>& restore, std::string& error);

} // namespace tildo
