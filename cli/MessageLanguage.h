#pragma once
// The language of mt1d's messages. By default a message says it in Chinese with the English in
// parentheses: "无法读取数据文件 (cannot read …)". With --lang en (a global option, before or after
// the command) or MT1D_LANG=en in the environment, messages are in English only.
//
// Messages are formed with both texts (Bilingual, RefuseUsage, RefuseInput), which choose. Lines
// written to the error stream in the one-string form "中文 (english)" are reduced to their English
// by EnglishOnlyBuffer on the way out, so that no message reaches the user half translated.

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace mt1d::cli {

enum class MessageLanguage { kChineseAndEnglish, kEnglish };

MessageLanguage CurrentMessageLanguage();
void SetMessageLanguage(MessageLanguage language);

// "zh (en)", or "en" alone in English.
std::string Bilingual(const std::string& zh, const std::string& en);

// Takes --lang VALUE / --lang=VALUE out of `args` (before any "--") and returns the language they
// and MT1D_LANG (`environment`, may be null) ask for; the option wins over the environment.
// A value other than zh or en throws UsageError.
MessageLanguage TakeLanguageOption(std::vector<std::string>& args, const char* environment);

// The English of a one-string message "… 中文 … (english)": the parenthesised text after the
// last Han character, with what precedes the Chinese kept when it is the "mt1d: " prefix and
// what follows the parenthesis kept. A line without Han, or without such a parenthesis, is
// returned as it is.
std::string EnglishPart(const std::string& line);

// Whether `text` holds a Han character (CJK unified ideographs, UTF-8).
bool HasHan(const std::string& text);

// Passes text on to `target` a line at a time, each through EnglishPart.
class EnglishOnlyBuffer : public std::streambuf {
public:
    explicit EnglishOnlyBuffer(std::ostream& target) : target_(target) {}
    ~EnglishOnlyBuffer() override { FlushLine(); }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    void FlushLine();

    std::ostream& target_;
    std::string line_;
};

}  // namespace mt1d::cli
