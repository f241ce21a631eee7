#include "platform/textreader.h"

#include "platform/services.h"
#include "platform/textrules.h"

namespace iconlane {
namespace {

bool IsLineBreak(char c) {
    return c == '\r' || c == '\n';
}

// Moves `pos` past one line terminator (CR LF, CR or LF) if one stands there.
void SkipLineBreak(const std::string& text, std::size_t& pos) {
    if (pos < text.size() && text[pos] == '\r') {
        ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
    } else if (pos < text.size() && text[pos] == '\n') {
        ++pos;
    }
}

}  // namespace

std::size_t ByteOrderMarkLength(const std::string& text) {
    return text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

std::string TextOfFile(const std::string& bytes, const Process& process) {
    if (ByteOrderMarkLength(bytes) > 0 || IsUtf8(bytes)) return bytes;
    return process.FromLegacyCodePage(bytes);
}

std::string LineReader::ReadLine() {
    std::size_t end = pos_;
    while (end < text_.size() && !IsLineBreak(text_[end])) ++end;
    std::string line = text_.substr(pos_, end - pos_);
    pos_ = end;
    SkipLineBreak(text_, pos_);
    return line;
}

bool ItemReader::AtLineEnd() const {
    return pos_ >= text_.size() || IsLineBreak(text_[pos_]);
}

void ItemReader::SkipSeparator() {
    if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
    } else {
        SkipLineBreak(text_, pos_);
    }
}

std::string ItemReader::ReadItem() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    std::string item = (pos_ < text_.size() && text_[pos_] == '"') ? ReadQuoted() : ReadPlain();
    SkipSeparator();
    return item;
}

std::string ItemReader::ReadQuoted() {
    std::size_t start = ++pos_;
    // An unterminated quote ends with its line, so one stray quote cannot swallow the whole file.
    while (pos_ < text_.size() && text_[pos_] != '"' && !IsLineBreak(text_[pos_])) ++pos_;
    std::string item = text_.substr(start, pos_ - start);
    if (pos_ < text_.size() && text_[pos_] == '"') ++pos_;
    while (!AtLineEnd() && text_[pos_] != ',') ++pos_;
    return item;
}

std::string ItemReader::ReadPlain() {
    std::size_t start = pos_;
    while (!AtLineEnd() && text_[pos_] != ',') ++pos_;
    return std::string(TrimTrailingBlanks(std::string_view(text_).substr(start, pos_ - start)));
}

}  // namespace iconlane
