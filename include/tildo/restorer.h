#pragma once

// The restorer as a library: load the dictionaries once, then restore ё in any
// number of texts, from any number of threads at once. Texts are UTF-8.
// Nothing is asked: a word the dictionaries leave open stays as written, and
// the questions a person would have been asked are reported.

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

struct TRestorerOptions
{
    std::string Dictionary; // the main dictionary; empty: the one installed with the program
    std::string Combinations; // the combination dictionary; empty: none
    // Pass options by their settings keys (AlwaysAsk, NoVarOnly, VarOnly,
    // ProposeLast, CheckYo, CombiWords, ...), as tildo-cli --on/--off take them.
    std::vector<std::string> On;
    std::vector<std::string> Off;
    // Where tags.dat and rare_yo.dat are, which "Context" (on unless turned
    // off) reads; empty: the program's data directory.
    std::string DataDirectory;
};

// A word the dictionaries leave to a person, as the pass met it.
struct TRestorerQuestion
{
    int Line = 0; // from 1
    int Column = 0; // from 1, in characters
    std::string Word; // as written
    std::string Plain; // the е form
    std::string Dotted; // the ё form
    bool DefaultDotted = false; // the ё form would be proposed
    std::string Caption;
};

// A dictionary that cannot be loaded, or an option that does not exist.
class ERestorerError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// A call stopped by its stop check (see TRestorerStop); the text is left as
// it was given.
class ERestorerInterrupted : public ERestorerError
{
public:
    ERestorerInterrupted()
        : ERestorerError("interrupted")
    {
    }
};

// Asked now and then (at most every few hundredths of a second) on the
// calling thread during a long call; true stops the call, which then throws
// ERestorerInterrupted. Empty: the call runs to its end.
using TRestorerStop = std::function<bool()>;

class TRestorer
{
public:
    // Loads the dictionaries; throws ERestorerError.
    explicit TRestorer(const TRestorerOptions& options = {});
    ~TRestorer();
    TRestorer(const TRestorer&) = delete;
    TRestorer& operator=(const TRestorer&) = delete;

    // The text with ё restored, every other byte as it was (line breaks, a
    // byte-order mark, characters of other alphabets, malformed bytes).
    std::string Restore(std::string_view text, const TRestorerStop& stop = {}) const;
    // The same, with the questions of the pass in order.
    std::string Restore(std::string_view text, std::vector<TRestorerQuestion>& questions,
        const TRestorerStop& stop = {}) const;
    // The bytes of a plain text file, UTF-8 or CP1251 (told apart as tildo-cli
    // tells them), restored and given back in their own encoding. Bytes with
    // a zero byte are no text: std::invalid_argument.
    std::string RestoreFileBytes(std::string_view bytes, const TRestorerStop& stop = {}) const;
    // One JSON Lines record with ё restored in the string at a dotted field
    // path ("meta.text"); every other byte of the record stays. A record
    // without that string comes back as it is; a malformed record throws
    // std::invalid_argument.
    std::string RestoreJsonRecord(std::string_view record, std::string_view field) const;
    // Many JSON Lines records at once (whole lines, as read from a file in
    // large pieces): each restored as RestoreJsonRecord restores it, blank
    // lines and line ends kept. One call per piece instead of one per record
    // spares a caller in another language its per-call cost. A malformed
    // record throws std::invalid_argument naming its line in the piece.
    std::string RestoreJsonLines(
        std::string_view lines, std::string_view field, const TRestorerStop& stop = {}) const;

private:
    struct TImpl;
    std::unique_ptr<TImpl> m_impl;
};

} // namespace tildo
