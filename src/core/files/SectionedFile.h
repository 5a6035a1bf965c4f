#pragma once

#include "files/SafeFile.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tinctara {

// Splits the raw bytes of a show file into fields the way the files were always
// read: a field ends at "," or at a line end (CR LF, LF or CR), blanks before it
// are skipped, blanks after an unquoted field are dropped, and a field that
// begins with a double quote runs to the closing quote (what stands between
// that quote and the next delimiter is skipped).
class FieldCursor {
public:
    explicit FieldCursor(std::string_view bytes, std::size_t position = 0) : bytes_(bytes), pos_(position) {}

    // The next field, or nothing when the file ends before one begins.
    std::optional<std::string_view> next();
    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::size_t position() const { return pos_; }

private:
    void skipDelimiter();

    std::string_view bytes_;
    std::size_t pos_;
};

// One section of a show file, positioned on its first value. Every read takes
// the next field; the first read that fails (end of file, a number outside its
// target's range) fails the section, and every later read fails too, so a
// loader can stop at the first false.
class Section {
public:
    enum class State {
        Found,
        NotSearched,  // the file ends right after its header: the section keeps its data
        Missing,      // the marker was not found before the end of the file
    };

    Section(State state, FieldCursor cursor) : state_(state), cursor_(cursor) {}

    State state() const { return state_; }
    bool found() const { return state_ == State::Found; }
    bool notSearched() const { return state_ == State::NotSearched; }
    // Missing, or a read failed.
    bool failed() const { return state_ == State::Missing || failed_; }

    // A key line's value: its last `characters` characters read as a number.
    std::optional<long long> key(long long low, long long high, std::size_t characters = 3);
    // A list entry or a bare number: the whole field read as a number.
    std::optional<long long> number(long long low, long long high);
    // A text field, converted to UTF-8.
    std::optional<std::string> text();

    template <typename T>
    bool key(T& target, std::size_t characters = 3)
    {
        return store(key(lowest<T>(), highest<T>(), characters), target);
    }
    template <typename T>
    bool number(T& target)
    {
        return store(number(lowest<T>(), highest<T>()), target);
    }

private:
    template <typename T>
    static constexpr long long lowest()
    {
        return static_cast<long long>(std::numeric_limits<T>::min());
    }
    template <typename T>
    static constexpr long long highest()
    {
        return static_cast<long long>(std::numeric_limits<T>::max());
    }
    template <typename T>
    static bool store(std::optional<long long> value, T& target)
    {
        if (!value)
            return false;
        target = static_cast<T>(*value);
        return true;
    }

    std::optional<std::string_view> field();

    State state_;
    FieldCursor cursor_;
    bool failed_ = false;
};

// A show file read whole into memory. Each section is looked up from the
// field after the header, so sections may stand in any order and anything
// between them is skipped.
class ShowFileReader {
public:
    explicit ShowFileReader(std::string bytes);

    // Nothing when the path cannot be opened as a regular file, or when it is
    // too large, empty or blank; `problem` then says which.
    static std::optional<ShowFileReader> open(const std::string& path, ReadProblem* problem = nullptr);

    // The first field, as UTF-8. Nobody checks it except the sequence loader,
    // which tells the two selection layouts apart by it.
    const std::string& header() const { return header_; }

    // `marker` in upper case, brackets included ("[CONFIG]").
    Section section(std::string_view marker) const;

private:
    std::string bytes_;
    std::string header_;
    std::size_t afterHeader_ = 0;
};

// Builds a show file in Windows-1252 with CR LF line ends and writes it whole.
class ShowFileWriter {
public:
    // A line of program text (UTF-8), converted to the file's code page.
    void line(std::string_view text);
    // "key" + the value in number form; the key carries its own blanks.
    void keyLine(std::string_view key, long long value);
    void numberLine(long long value);
    // Values in number form, "," between them, on one line.
    template <typename Range>
    void valueList(const Range& values)
    {
        bool first = true;
        for (const auto value : values) {
            if (!first)
                bytes_.push_back(',');
            appendNumber(static_cast<long long>(value));
            first = false;
        }
        endLine();
    }
    void beginList() { listFirst_ = true; }
    void listValue(long long value)
    {
        if (!listFirst_)
            bytes_.push_back(',');
        appendNumber(value);
        listFirst_ = false;
    }
    void endLine() { bytes_.append("\r\n"); }
    // A text field followed by ",", without a line end.
    void textField(std::string_view text);

    const std::string& bytes() const { return bytes_; }

    // Writes a temporary file beside `path` and renames it over `path` only
    // when every byte was written; a failure leaves the old file as it was.
    bool commit(const std::string& path) const;

private:
    void appendNumber(long long value);

    std::string bytes_;
    bool listFirst_ = true;
};

}  // namespace tinctara
