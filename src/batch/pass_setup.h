#pragma once

#include "batch/cli_user_interface.h"
#include "batch/text_input.h"
#include "dict/combination_dictionary.h"
#include "dict/main_dictionary.h"
#include "dict/my_lists.h"
#include "dict/rare_yo_list.h"
#include "dict/tag_dictionary.h"
#include "engine/context_judge.h"
#include "formats/plain_text_format.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tildo {

struct TPassCommandOptions;
class UserInterface;

// The options of a pass named on the command line by their settings keys
// (AlwaysAsk, Mark, ...), with the menu command whose check mark the engine
// reads.
struct TPassOptionName
{
    std::string_view Key;
    TCommand Command;
};
const std::vector<TPassOptionName>& PassOptionNames();

// Sets the check marks as the settings file's defaults leave them, then
// FictionBook mode for a FictionBook text and the combination analysis when a
// combination dictionary is loaded, then --on and --off in that order. Turning
// NoVarOnly on turns VarOnly off and the reverse, as the menu does. An unknown
// name throws ECliError (exit 2).
void SetPassOptions(UserInterface& ui, const std::vector<std::string>& on,
    const std::vector<std::string>& off, bool fictionBook, bool combinations);
// Only the check of the names, with the same errors, before anything is read.
void CheckPassOptionNames(const std::vector<std::string>& on, const std::vector<std::string>& off);

// A data file the tool ships (tildo.dat, morphs.dat): beside the executable,
// else in ../share/tildo relative to it, else in $XDG_DATA_DIRS/tildo; the
// path beside the executable when none exists, so that the message names the
// expected place.
std::string DefaultDataFile(const std::string& name);

// The combination dictionary of a pass: the one given with -c; without it the
// shipped combi.dat when no main dictionary is given either (a dictionary of
// one's own does not go with the shipped combinations); none with --no-combi
// or when nothing is shipped.
std::string CombinationsPath(const TPassCommandOptions& options);

// Loads the main dictionary. A missing, unreadable or empty file throws
// ECliError (exit 3), and so does, unless acceptDamaged, a file with binary
// content or with its words out of order (lookups would miss words); the
// loader's other findings (odd lines) are printed as warnings and the run
// goes on.
void LoadMainDictionary(
    TDic& dic, TCliUserInterface& ui, const std::string& path, bool acceptDamaged = false);
// The same for the combination dictionary.
void LoadCombinations(
    TCombiWordsDic& combi, TCliUserInterface& ui, const std::string& path, bool acceptDamaged = false);

// Whether "Решать по контексту" is on after --on and --off (on unless turned
// off: off is applied last, as SetPassOptions does).
bool ContextWanted(const std::vector<std::string>& on, const std::vector<std::string>& off);
// Loads the tag dictionary (tags.dat) and the rare-ё list (rare_yo.dat) the
// context judge reads, from the data directory. A missing or damaged file
// throws ECliError (exit 3) with the loader's message, which names the file.
void LoadContextData(
    TTagDictionary& tags, TRareYoList& rare, TCliUserInterface& ui, const std::string& directory = {});

// "auto", "utf-8" or "cp1251" (a few spellings); anything else throws ECliError (exit 2).
TEncodingChoice ParseEncodingChoice(std::string_view name);

// One text with what a pass over it needs: the option marks, the main
// dictionary, the combination dictionary when one is named and the word
// window. The command line is checked first, then the dictionaries are loaded,
// then the text is read (FictionBook mode follows what reading found); each
// step throws ECliError or EFileError.
class TPassSession
{
public:
    explicit TPassSession(const TPassCommandOptions& options);
    TPassSession(const TPassSession&) = delete;
    TPassSession& operator=(const TPassSession&) = delete;

    TCliUserInterface Ui;
    TBufferLimits Limits;
    TDic Dic;
    TCombiWordsDic Combi { Limits };
    TWordBuffer Window { Limits };
    TInputText Input;
    // Loaded only with "Решать по контексту" on; Judge is null while it is off.
    TTagDictionary Tags;
    TRareYoList Rare;
    std::unique_ptr<TContextJudge> Judge;
};

} // namespace tildo
