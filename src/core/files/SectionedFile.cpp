#include "files/SectionedFile.h"

#include "text/Text.h"
#include "text/Windows1252.h"

#include "files/SafeFile.h"

#include <cctype>
#include <charconv>

namespace tinctara {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool equalsUpper(std::string_view text, std::string_view upper)
{
    if (text.size() != upper.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[i])) != static_cast<unsigned char>(upper[i]))
            return false;
    return true;
}

std::optional<long long> inRange(std::string_view text, long long low, long long high)
{
    const double value = roundHalfEven(numericValue(text));
    // Written so that a value too large for a double's comparison still fails.
    if (!(value >= static_cast<double>(low) && value <= static_cast<double>(high)))
        return std::nullopt;
    return static_cast<long long>(value);
}

}  // namespace

// --- FieldCursor --------------------------------------------------------------

void FieldCursor::skipDelimiter()
{
    if (pos_ >= bytes_.size())
        return;
    const char c = bytes_[pos_];
    if (c == ',') {
        ++pos_;
        // A list that ends with "," before its line end does not add an empty field.
        std::size_t p = pos_;
        while (p < bytes_.size() && isBlank(bytes_[p]))
            ++p;
        if (p < bytes_.size() && isLineEnd(bytes_[p]))
            pos_ = p;
        else
            return;
    }
    if (pos_ < bytes_.size() && bytes_[pos_] == '\r')
        ++pos_;
    if (pos_ < bytes_.size() && bytes_[pos_] == '\n')
        ++pos_;
}

std::optional<std::string_view> FieldCursor::next()
{
    while (pos_ < bytes_.size() && isBlank(bytes_[pos_]))
        ++pos_;
    if (pos_ >= bytes_.size())
        return std::nullopt;

    std::string_view field;
    if (bytes_[pos_] == '"') {
        const std::size_t start = pos_ + 1;
        std::size_t close = bytes_.find('"', start);
        if (close == std::string_view::npos)
            close = bytes_.size();
        field = bytes_.substr(start, close - start);
        pos_ = close < bytes_.size() ? close + 1 : close;
        while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !isLineEnd(bytes_[pos_]))
            ++pos_;
    } else {
        const std::size_t start = pos_;
        while (pos_ < bytes_.size() && bytes_[pos_] != ',' && !isLineEnd(bytes_[pos_]))
            ++pos_;
        field = bytes_.substr(start, pos_ - start);
        while (!field.empty() && isBlank(field.back()))
            field.remove_suffix(1);
    }
    skipDelimiter();
    return field;
}

// --- Section ----------------------------------------------------------------------

std::optional<std::string_view> Section::field()
{
    if (failed())
        return std::nullopt;
    if (state_ != State::Found) {
        failed_ = true;
        return std::nullopt;
    }
    auto value = cursor_.next();
    if (!value)
        failed_ = true;
    return value;
}

std::optional<long long> Section::key(long long low, long long high, std::size_t characters)
{
    auto text = field();
    if (!text)
        return std::nullopt;
    if (text->size() > characters)
        text->remove_prefix(text->size() - characters);
    auto value = inRange(*text, low, high);
    if (!value)
        failed_ = true;
    return value;
}

std::optional<long long> Section::number(long long low, long long high)
{
    const auto text = field();
    if (!text)
        return std::nullopt;
    auto value = inRange(*text, low, high);
    if (!value)
        failed_ = true;
    return value;
}

std::optional<std::string> Section::text()
{
    const auto value = field();
    if (!value)
        return std::nullopt;
    return windows1252ToUtf8(*value);
}

// --- ShowFileReader -----------------------------------------------------------------

ShowFileReader::ShowFileReader(std::string bytes) : bytes_(std::move(bytes))
{
    FieldCursor cursor(bytes_);
    if (const auto first = cursor.next())
        header_ = windows1252ToUtf8(*first);
    afterHeader_ = cursor.position();
}

std::optional<ShowFileReader> ShowFileReader::open(const std::string& path, ReadProblem* problem)
{
    ReadResult read = readShowFileBytes(path);
    if (problem)
        *problem = read.problem;
    if (read.problem != ReadProblem::None)
        return std::nullopt;
    return ShowFileReader(std::move(read.bytes));
}

Section ShowFileReader::section(std::string_view marker) const
{
    FieldCursor cursor(bytes_, afterHeader_);
    if (cursor.atEnd())
        return Section(Section::State::NotSearched, cursor);
    while (const auto field = cursor.next()) {
        if (equalsUpper(trimmed(*field), marker))
            return Section(Section::State::Found, cursor);
    }
    return Section(Section::State::Missing, cursor);
}

// --- ShowFileWriter -------------------------------------------------------------------

void ShowFileWriter::appendNumber(long long value)
{
    if (value >= 0)
        bytes_.push_back(' ');
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    bytes_.append(digits, result.ptr);
}

void ShowFileWriter::line(std::string_view text)
{
    bytes_.append(utf8ToWindows1252(text));
    endLine();
}

void ShowFileWriter::keyLine(std::string_view key, long long value)
{
    bytes_.append(utf8ToWindows1252(key));
    appendNumber(value);
    endLine();
}

void ShowFileWriter::numberLine(long long value)
{
    appendNumber(value);
    endLine();
}

void ShowFileWriter::textField(std::string_view text)
{
    bytes_.append(utf8ToWindows1252(text));
    bytes_.push_back(',');
}

bool ShowFileWriter::commit(const std::string& path) const
{
    return !path.empty() && writeFileAtomically(path, bytes_);
}

}  // namespace tinctara
