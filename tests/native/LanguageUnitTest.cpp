#include "texts/LanguageUnit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>
#include <climits>
#include <cstddef>
#include <string>
#include <vector>

namespace {

const std::vector<std::wstring> SixLocales = {L"de-DE", L"de-AT", L"de-CH", L"en-US", L"fr-FR", L"es-ES"};
const std::vector<std::wstring> OneLocalePerLanguage = {L"de-DE", L"en-US", L"fr-FR", L"es-ES"};
// The product's texts run from 1 to 74; 75 came later, for folders that are no full paths, and 76
// to 82 with the uninstaller.
constexpr int kLastNumber = 82;

std::vector<int> NumbersWithText()
{
    std::vector<int> numbers;
    for (int number = 1; number <= kLastNumber; ++number)
        if (number != 53)
            numbers.push_back(number);
    return numbers;
}

// Includes the numbers around the valid range so every lookup rule is also
// exercised at the edges.
std::vector<int> NumbersAroundTheTable()
{
    std::vector<int> numbers;
    for (int number = -1; number <= kLastNumber + 1; ++number)
        numbers.push_back(number);
    return numbers;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (c < 0x80) ? static_cast<char>(c) : '?';
    return out;
}

std::size_t CountOccurrences(const std::wstring& text, const std::wstring& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

std::vector<std::wstring> SplitLines(const std::wstring& text)
{
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    for (std::size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", start)) {
        lines.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::wstring TextIn(const std::wstring& locale, int number)
{
    CurrentLanguage = locale;
    return Language::LocalizedText(number);
}

bool IsWindows1252(wchar_t c)
{
    // The 27 characters that Windows-1252 places in 0x80..0x9F.
    static const std::wstring upperControlsMapped =
        L"\u20AC\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u017D"
        L"\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u017E\u0178";
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return true;
    return upperControlsMapped.find(c) != std::wstring::npos;
}

class LanguageUnitTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = CurrentLanguage; }
    void TearDown() override { CurrentLanguage = saved_; }

private:
    std::wstring saved_;
};

TEST_F(LanguageUnitTest, GermanCodesAndBareDeShareOneText)
{
    for (int number : NumbersAroundTheTable()) {
        const std::wstring german = TextIn(L"de-DE", number);
        for (const std::wstring locale : {L"de-AT", L"de-CH", L"de"}) {
            SCOPED_TRACE(Narrow(locale) + " #" + std::to_string(number));
            EXPECT_EQ(TextIn(locale, number), german);
        }
    }
}

TEST_F(LanguageUnitTest, CodesMatchingNoLanguageGiveEmptyTexts)
{
    const std::vector<std::wstring> unmatched = {L"", L"EN-US", L"de-de", L"DE-DE", L"en", L"fr", L"en-GB",
                                                 L"it-IT", L"de-LI", L" en-US", L"en-US "};
    for (const std::wstring& locale : unmatched) {
        for (int number : NumbersAroundTheTable()) {
            SCOPED_TRACE("'" + Narrow(locale) + "' #" + std::to_string(number));
            EXPECT_EQ(TextIn(locale, number), L"");
        }
    }
}

TEST_F(LanguageUnitTest, NumbersWithoutTextGiveEmptyTextsInEveryLanguage)
{
    for (int number : {0, 53, -1, kLastNumber + 1, INT_MIN, INT_MAX}) {
        for (const std::wstring& locale : SixLocales) {
            SCOPED_TRACE(Narrow(locale) + " #" + std::to_string(number));
            EXPECT_EQ(TextIn(locale, number), L"");
        }
    }
}

TEST_F(LanguageUnitTest, EveryNumberHasTextInEveryLanguage)
{
    for (const std::wstring& locale : OneLocalePerLanguage) {
        for (int number : NumbersWithText()) {
            SCOPED_TRACE(Narrow(locale) + " #" + std::to_string(number));
            EXPECT_FALSE(TextIn(locale, number).empty());
        }
    }
}

TEST_F(LanguageUnitTest, TextsSharedAcrossLanguages)
{
    struct Case {
        int number;
        std::wstring locale;
        std::wstring expected;
    };
    const std::vector<Case> cases = {
        {70, L"de-DE", L"OK"},   {70, L"de-AT", L"OK"},   {70, L"de-CH", L"OK"},
        {70, L"en-US", L"OK"},   {70, L"fr-FR", L"OK"},   {70, L"es-ES", L"OK"},
        {62, L"fr-FR", L"Finir"}, {62, L"es-ES", L"Finir"},
        {66, L"en-US", L"No"},   {66, L"es-ES", L"No"},
        {74, L"de-DE", L"AppData - Ordner"}, {74, L"de-AT", L"AppData - Ordner"},
        {74, L"de-CH", L"AppData - Ordner"}, {74, L"en-US", L"AppData - Folder"},
        {74, L"fr-FR", L"AppData - Folder"}, {74, L"es-ES", L"AppData - Folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.locale) + " #" + std::to_string(c.number));
        EXPECT_EQ(TextIn(c.locale, c.number), c.expected);
    }
}

TEST_F(LanguageUnitTest, GermanExitQuestionHasSevenLinesTwoOfThemEmpty)
{
    const std::vector<std::wstring> lines = SplitLines(TextIn(L"de-DE", 63));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), L""), 2);
    EXPECT_FALSE(lines.front().empty());
    EXPECT_FALSE(lines.back().empty());
}

// Translations must keep the product name and the line breaks of the English
// wording, or dialogs and labels sized for it break differently.
TEST_F(LanguageUnitTest, TranslationsKeepProductNameAndLineBreaksOfEnglish)
{
    const std::wstring productName = L"Vessa's Quorin";
    for (int number : NumbersWithText()) {
        const std::wstring english = TextIn(L"en-US", number);
        for (const std::wstring locale : {L"de-DE", L"fr-FR", L"es-ES"}) {
            SCOPED_TRACE(Narrow(locale) + " #" + std::to_string(number));
            const std::wstring text = TextIn(locale, number);
            EXPECT_EQ(CountOccurrences(text, productName), CountOccurrences(english, productName));
            if (locale != L"de-DE") {
                EXPECT_EQ(CountOccurrences(text, L"\r\n"), CountOccurrences(english, L"\r\n"));
            }
        }
    }
}

TEST_F(LanguageUnitTest, ChangingTheLanguageAffectsOnlyLaterLookups)
{
    CurrentLanguage = L"en-US";
    const std::wstring english = Language::LocalizedText(4);
    const std::wstring englishCopy = english;
    CurrentLanguage = L"fr-FR";
    const std::wstring french = Language::LocalizedText(4);
    EXPECT_NE(french, english);
    EXPECT_EQ(english, englishCopy);
    CurrentLanguage = L"";
    EXPECT_EQ(Language::LocalizedText(4), L"");
    EXPECT_EQ(french, L"Annuler");
}

TEST_F(LanguageUnitTest, EveryTextIsRepresentableInWindows1252)
{
    for (const std::wstring& locale : OneLocalePerLanguage) {
        for (int number : NumbersWithText()) {
            SCOPED_TRACE(Narrow(locale) + " #" + std::to_string(number));
            const std::wstring text = TextIn(locale, number);
            for (std::size_t i = 0; i < text.size(); ++i) {
                const wchar_t c = text[i];
                EXPECT_TRUE(IsWindows1252(c)) << "character U+" << std::hex << static_cast<unsigned>(c);
                // The only control characters allowed are CR LF line breaks.
                if (c == L'\r')
                    EXPECT_TRUE(i + 1 < text.size() && text[i + 1] == L'\n') << "lone CR at " << i;
                else if (c == L'\n')
                    EXPECT_TRUE(i > 0 && text[i - 1] == L'\r') << "lone LF at " << i;
                else
                    EXPECT_GE(c, L' ') << "control character at " << i;
            }
        }
    }
}

// The names of the texts say what the texts say: each name's comment in the header (the English
// wording, cut short where it ends in " ...", CR LF written as " / ") is the table's English text.
TEST_F(LanguageUnitTest, TextNamesMatchTheirEnglishWording)
{
    std::ifstream header(VQ_SOURCE_DIR "/src/texts/LanguageUnit.h");
    ASSERT_TRUE(header) << "cannot read the header";
    std::stringstream text;
    text << header.rdbuf();
    const std::string source = text.str();
    const std::regex line(R"(\n\s*tx\w+ = (\d+),\s*// ([^\n]*))");
    int named = 0;
    for (auto it = std::sregex_iterator(source.begin(), source.end(), line); it != std::sregex_iterator(); ++it) {
        const int number = std::stoi((*it)[1]);
        std::string comment = (*it)[2];
        const bool shortened = comment.size() > 4 && comment.compare(comment.size() - 4, 4, " ...") == 0;
        if (shortened) comment.resize(comment.size() - 4);
        std::string english = Narrow(TextIn(L"en-US", number));
        for (std::size_t at; (at = english.find("\r\n")) != std::string::npos;) english.replace(at, 2, " / ");
        SCOPED_TRACE("#" + std::to_string(number));
        if (shortened)
            EXPECT_EQ(english.substr(0, comment.size()), comment);
        else
            EXPECT_EQ(english, comment);
        ++named;
    }
    EXPECT_EQ(named, static_cast<int>(NumbersWithText().size())) << "every text has a name";
}

} // namespace
