#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tinctara::cli {

// What begins every line tinctara-cli writes on its own account.
inline constexpr const char* ErrorPrefix = "tinctara-cli: ";

// A command line that cannot be run: its fault, followed by the usage.
struct UsageError {
    std::string text;
};

enum class Operands { Kept, RefusedAfterTheOptions, RefusedWhereTheyStand };

// One command's options; every command takes --home with a value.
struct OptionGrammar {
    const char* command = "";
    std::vector<std::string> valued{};
    std::vector<std::string> flags{};
    std::vector<std::string> repeatable{};  // valued, each value kept in order
    bool once = false;                      // a valued option given twice is refused; else the last counts
    Operands operands = Operands::Kept;
    // Sees each value as it is read, so that a bad one is reported before what follows it.
    void (*checkValue)(const std::string& option, const std::string& value) = nullptr;
};

// The command line after the command word.
struct Options {
    std::map<std::string, std::string> values;
    std::map<std::string, std::vector<std::string>> lists;
    std::set<std::string> flags;
    std::vector<std::string> operands;

    const std::string* find(const std::string& option) const;  // null when not given
    bool has(const std::string& flag) const { return flags.count(flag) != 0; }
};

Options parseOptions(const std::vector<std::string>& args, const OptionGrammar& grammar);  // args[0]: the command word
const std::string& required(const Options& options, const std::string& option);
std::string homeOf(const Options& options, const std::string& programFolder);
bool importAnswer(const Options& options);  // --import yes (the default) or no
std::optional<long long> wholeNumber(const std::string& text);
long long numberIn(const std::string& option, const std::string& text, long long low, long long high);
// The value of the name `text` among `names`; another is a usage error
// ("--merge takes aus, htp, ltp or eingang").
template <typename Value, std::size_t Count>
Value namedIn(const std::string& option, const std::string& text, const std::pair<const char*, Value> (&names)[Count])
{
    std::string known;
    for (std::size_t i = 0; i < Count; ++i) {
        if (text == names[i].first)
            return names[i].second;
        known += std::string(i == 0 ? "" : i + 1 == Count ? " or " : ", ") + names[i].first;
    }
    throw UsageError{option + " takes " + known};
}
double decimalIn(const std::string& option, const std::string& text, double low, double high);  // "2.5", low..high

}  // namespace tinctara::cli
