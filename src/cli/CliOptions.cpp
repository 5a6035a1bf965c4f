#include "CliOptions.h"

#include <algorithm>
#include <charconv>
#include <sstream>

namespace tinctara::cli {

namespace {

bool among(const std::vector<std::string>& names, const std::string& arg)
{
    return std::find(names.begin(), names.end(), arg) != names.end();
}

UsageError refused(const OptionGrammar& grammar, const std::string& operand)
{
    return UsageError{std::string(grammar.command) + " takes no operands: " + operand};
}

}  // namespace

const std::string* Options::find(const std::string& option) const
{
    const auto found = values.find(option);
    return found == values.end() ? nullptr : &found->second;
}

Options parseOptions(const std::vector<std::string>& args, const OptionGrammar& grammar)
{
    Options parsed;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (among(grammar.flags, arg)) {
            parsed.flags.insert(arg);
        } else if (arg.rfind("--", 0) == 0) {
            const bool repeatable = among(grammar.repeatable, arg);
            if (!repeatable && !among(grammar.valued, arg) && arg != "--home")
                throw UsageError{"unknown option " + arg};
            if (i + 1 >= args.size())
                throw UsageError{arg + " needs a value"};
            const std::string& value = args[++i];
            if (grammar.checkValue)
                grammar.checkValue(arg, value);
            if (repeatable)
                parsed.lists[arg].push_back(value);
            else if (grammar.once && parsed.values.count(arg))
                throw UsageError{arg + " is given twice"};
            else
                parsed.values[arg] = value;
        } else if (grammar.operands == Operands::RefusedWhereTheyStand) {
            throw refused(grammar, arg);
        } else {
            parsed.operands.push_back(arg);
        }
    }
    if (grammar.operands == Operands::RefusedAfterTheOptions && !parsed.operands.empty())
        throw refused(grammar, parsed.operands.front());
    return parsed;
}

const std::string& required(const Options& options, const std::string& option)
{
    const std::string* value = options.find(option);
    if (!value)
        throw UsageError{option + " is needed"};
    return *value;
}

std::string homeOf(const Options& options, const std::string& programFolder)
{
    const std::string* home = options.find("--home");
    return home ? *home : programFolder;
}

bool importAnswer(const Options& options)
{
    const std::string* answer = options.find("--import");
    if (!answer || *answer == "yes")
        return true;
    if (*answer == "no")
        return false;
    throw UsageError{"--import takes yes or no"};
}

std::optional<long long> wholeNumber(const std::string& text)
{
    long long value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return std::nullopt;
    return value;
}

long long numberIn(const std::string& option, const std::string& text, long long low, long long high)
{
    const auto value = wholeNumber(text);
    if (!value || *value < low || *value > high)
        throw UsageError{option + " takes a number from " + std::to_string(low) + " to " + std::to_string(high)};
    return *value;
}

double decimalIn(const std::string& option, const std::string& text, double low, double high)
{
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size() || !(value >= low && value <= high)) {
        std::ostringstream range;
        range << low << " to " << high;
        throw UsageError{option + " takes a number from " + range.str()};
    }
    return value;
}

}  // namespace tinctara::cli
