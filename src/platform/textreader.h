// Reading a text file's contents line by line (batch files) or item by item (the options file).
#pragma once

#include <cstddef>
#include <string>

namespace iconlane {

// 3 when the text starts with a UTF-8 byte-order mark, which editors write and which is no part of
// the first line or item; else 0.
std::size_t ByteOrderMarkLength(const std::string& text);

class Process;

// A text file's bytes as UTF-8 text: a file that is UTF-8 already (with or without a byte-order
// mark) as it is, any other in the system's legacy code page, as editors of old saved it.
std::string TextOfFile(const std::string& bytes, const Process& process);

// Lines end at CR LF, a lone CR or a lone LF; the terminator is not part of the line. A last line
// without a terminator is still read; a terminator at the very end starts no further line.
class LineReader {
public:
    explicit LineReader(std::string contents)
        : text_(std::move(contents)), pos_(ByteOrderMarkLength(text_)) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string ReadLine();

private:
    std::string text_;
    std::size_t pos_;
};

// Comma-separated items: an item ends at a comma or a line end, which is not part of it. Blanks
// and tabs before an item are skipped, and so are those at the end of an unquoted item. An item
// that begins with a double quote runs to the next double quote (commas included); the quotes are
// not part of it, and anything between the closing quote and the next comma is dropped. An empty
// line, or nothing between two commas, is an empty item.
class ItemReader {
public:
    explicit ItemReader(std::string contents)
        : text_(std::move(contents)), pos_(ByteOrderMarkLength(text_)) {}

    bool AtEnd() const { return pos_ >= text_.size(); }
    std::string ReadItem();

private:
    bool AtLineEnd() const;
    void SkipSeparator();  // the comma or line end that closes an item
    std::string ReadQuoted();
    std::string ReadPlain();

    std::string text_;
    std::size_t pos_;
};

}  // namespace iconlane
