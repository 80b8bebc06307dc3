// A decisions file from arbitrary bytes: it is either refused with a message or
// read, and every decision it places stands on the very word it names.

#include "batch/decisions_file.h"
#include "batch/messages.h"
#include "text/cp1251.h"
#include "text/memory_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using namespace tildo;

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const MemoryDocument doc
        = MemoryDocument::FromUtf8("Мы все знали: еще не все.\nДесять лет все ждали,\nи все.");
    std::vector<TDecision> decisions;
    try {
        decisions = ParseDecisions(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const ECliError& e) {
        Check(e.ExitCode() == ExitUsage);
        return 0;
    }
    const TPlacedDecisions placed = PlaceDecisions(decisions, doc);
    for (const auto& [position, decision] : placed.Sources) {
        Check(position >= 0 && position + static_cast<int>(decision.Word.size()) <= doc.Length());
        Check(doc.TextRef().compare(static_cast<std::size_t>(position), decision.Word.size(), decision.Word)
            == 0);
        Check(placed.ByPosition.count(position) == 1);
    }
    return 0;
}
