#include "explain/explain.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "explain/explain_output.h"
#include "explain/explain_program.h"
#include "explain/place_reader.h"
#include "input/system.h"
#include "test_support.h"
#include "words/words.h"

namespace krobelnik {
namespace {

const std::string Header = "123456\nKrobelnik\n";
const std::string OneCase = "Krobelnik\n1\n\n1\nabab\n";

Explanation ExplainTexts(const std::string& testData, const std::string& submission) {
  Explanation e;
  EXPECT_TRUE(Explain(Input::Text(testData), Input::Text(submission), false, e));
  return e;
}

// The report an explanation shows, as text.
std::string ReportOf(const Explanation& e) {
  std::string text;
  OutputBuffer out(text);
  EXPECT_TRUE(WriteReport(out, e));
  return text;
}

// The facts as "name=value" joined by spaces.
std::string Facts(const Explanation& e) {
  std::string text;
  for (const Fact& fact : e.facts) {
    if (!text.empty()) text += ' ';
    text.append(fact.name).append("=");
    text.append(fact.text.empty() ? std::to_string(fact.value) : fact.text);
  }
  return text;
}

std::string Repeat(const std::string& piece, int count) {
  std::string text;
  for (int c = 0; c < count; ++c) text += piece;
  return text;
}

TEST(Explain, PlacesEveryLocationAtItsLineAndColumnWithItsFacts) {
  // A hundred thousand test cases of s = ab, for a fault past the first chunk.
  std::string manyCases = "Krobelnik\n100001\n";
  for (int k = 1; k <= 100000; ++k) {
    manyCases += "\n";
    manyCases += std::to_string(k);
    manyCases += "\nab\n";
  }
  const std::string longIndices = Repeat("1 ", 1499) + "3 " + Repeat("1 ", 10);
  const struct {
    std::string testData;
    std::string submission;
    std::int32_t location;
    InputRole file;
    std::int64_t line;
    std::int64_t column;
    std::string facts;
    std::int32_t section;  // the section's first line, 0 for none
  } rows[] = {
      // The test data.
      {"", Header, 94, InputRole::TestData, 1, 0, "", 0},
      {"Krobelnikk\n1\n", Header, 95, InputRole::TestData, 1, 10, "", 0},
      {"Krobel\n", Header, 95, InputRole::TestData, 1, 7, "", 0},
      {"krobelnik\n", Header, 95, InputRole::TestData, 1, 1, "", 0},
      {"Krobelnik\n", Header, 98, InputRole::TestData, 2, 0, "", 0},
      {"Krobelnik\n-1\n", Header, 101, InputRole::TestData, 2, 1, "", 0},
      {"Krobelnik\n1\n", Header, 78, InputRole::TestData, 3, 0, "testCase=1", 0},
      {"Krobelnik\n1\n \n1\nab\n", Header, 79, InputRole::TestData, 3, 1, "testCase=1 length=1", 0},
      {"Krobelnik\n1\n\n", Header, 80, InputRole::TestData, 4, 0, "testCase=1", 0},
      {"Krobelnik\n1\n\n1a\nab\n", Header, 55, InputRole::TestData, 4, 2, "testCase=1 byte=97", 0},
      {"Krobelnik\n1\n\n 2147483648\nab\n", Header, 61, InputRole::TestData, 4, 11,
       "testCase=1 digit=8", 0},
      {"Krobelnik\n1\n\n1  2\nab\n", Header, 81, InputRole::TestData, 4, 4, "testCase=1 count=2",
       0},
      {"Krobelnik\n1\n\n \r\nab\n", Header, 81, InputRole::TestData, 4, 0, "testCase=1 count=0", 0},
      {"Krobelnik\n1\n\n1\n", Header, 83, InputRole::TestData, 5, 0, "testCase=1", 0},
      {"Krobelnik\n1\n\n1\n\n", Header, 84, InputRole::TestData, 5, 0, "testCase=1 length=0", 0},
      {"Krobelnik\n1\n\n1\n" + std::string(MaxStringLength + 1, 'a') + "\n", Header, 84,
       InputRole::TestData, 5, 10000001, "testCase=1 length=10000001", 0},
      {"Krobelnik\n1\n\n1\nab\xe8\r\n", Header, 85, InputRole::TestData, 5, 3,
       "testCase=1 length=3 index=2 byte=232", 0},
      {"Krobelnik\n2\n\n1\nab\n\n 3\nab\n", Header, 108, InputRole::TestData, 7, 2,
       "testCase=2 expected=2 number=3", 0},
      {manyCases + "\n", Header, 80, InputRole::TestData, 300004, 0, "testCase=100001", 0},
      {manyCases.substr(0, manyCases.size() - 3) + "aB\n", Header, 85, InputRole::TestData, 300002,
       2, "testCase=100000 length=2 index=1 byte=66", 0},
      // The submission's header and section lines.
      {OneCase, "", 185, InputRole::Submission, 1, 0, "", 0},
      {OneCase, "12345\n", 186, InputRole::Submission, 1, 0, "length=5", 0},
      {OneCase, "1234567\n", 186, InputRole::Submission, 1, 7, "length=7", 0},
      {OneCase, "abcdef\n", 188, InputRole::Submission, 1, 1, "", 0},
      {OneCase, "123456\n", 189, InputRole::Submission, 2, 0, "", 0},
      {OneCase, "123456\nKrobelnix\r\n", 190, InputRole::Submission, 2, 9, "", 0},
      {OneCase, "123456\nKrobelnik \n", 190, InputRole::Submission, 2, 10, "", 0},
      {OneCase, Header + "\n\nx\n", 198, InputRole::Submission, 5, 1, "", 0},
      {OneCase, Header + " \t+2\n", 200, InputRole::Submission, 3, 3, "testCases=1", 0},
      // A section's k-and-r line and strings.
      {OneCase, Header + "1\n", 127, InputRole::Submission, 4, 0, "", 3},
      {OneCase, Header + "1\n1 2 3\n", 129, InputRole::Submission, 4, 5, "count=3", 3},
      {OneCase, Header + "1\n 5\n", 129, InputRole::Submission, 4, 0, "count=1", 3},
      {OneCase, Header + "1\n 0 2\n", 132, InputRole::Submission, 4, 2, "k=0 n=4", 3},
      {OneCase, Header + "1\n1\t9\n", 133, InputRole::Submission, 4, 3, "r=9 n=4", 3},
      {OneCase, Header + "1\n1 -2\n", 55, InputRole::Submission, 4, 3, "byte=45", 3},
      {OneCase, Header + "1\n1 99999999999\n", 61, InputRole::Submission, 4, 12, "digit=9", 3},
      {OneCase, Header + "\n1\n3 1\nab\nb\n", 139, InputRole::Submission, 8, 0, "j=3 k=3", 4},
      {OneCase, Header + "1\n1 1\nababa\n", 140, InputRole::Submission, 5, 5, "j=1 length=5 n=4",
       3},
      {OneCase, Header + "1\n2 1\nab\n\n", 140, InputRole::Submission, 6, 0, "j=2 length=0 n=4", 3},
      {OneCase, Header + "1\n2 1\nab\na b\n", 141, InputRole::Submission, 6, 2,
       "j=2 length=3 q=1 byte=32", 3},
      // The index line and the walk.
      {OneCase, Header + "1\n1 1\nabab\n", 144, InputRole::Submission, 6, 0, "", 3},
      {OneCase, Header + "1\n1 1\nabab\n1  1\n", 145, InputRole::Submission, 6, 4, "count=2 r=1",
       3},
      {OneCase, Header + "1\n2 3\nab\nb\n1 1\n", 145, InputRole::Submission, 7, 0, "count=2 r=3",
       3},
      {OneCase, Header + "1\n1 1\nabab\n1x\n", 55, InputRole::Submission, 6, 2, "byte=120", 3},
      {OneCase, Header + "1\n1 1\nabab\n 3000000000\n", 61, InputRole::Submission, 6, 11, "digit=0",
       3},
      {OneCase, Header + "1\n2 2\nab\nb\n1 3\n", 149, InputRole::Submission, 7, 3, "p=2 x=3 k=2",
       3},
      {OneCase, Header + "1\n1 3\nab\n1 1 1\n", 153, InputRole::Submission, 6, 5,
       "p=3 x=1 stringLine=5 stringOffset=1 position=5 sLine=5", 3},
      {OneCase, Header + "1\n2 2\nab\nb\n1 2\n", 154, InputRole::Submission, 7, 3,
       "p=2 x=2 stringLine=6 stringOffset=1 position=3 sLine=5 got=b expected=a", 3},
      {OneCase, Header + "1\n2 1\nb\nabbb\n2\n", 154, InputRole::Submission, 7, 1,
       "p=1 x=2 stringLine=6 stringOffset=3 position=3 sLine=5 got=b expected=a", 3},
      {OneCase, Header + "1\n1 1\nab\r\n1\r\n", 158, InputRole::Submission, 6, 2, "matched=2 n=4",
       3},
      // Past full batches and 64-byte blocks: the 1500th index is wrong.
      {"Krobelnik\n1\n\n1\n" + std::string(std::size_t{1600}, 'a') + "\n",
       Header + "1\n2 1510\na\nb\n" + longIndices + "\n", 149, InputRole::Submission, 7,
       2 * 1499 + 1, "p=1500 x=3 k=2", 3},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.submission.substr(0, 60));
    const Explanation e = ExplainTexts(row.testData, row.submission);
    EXPECT_EQ(e.location, row.location);
    EXPECT_EQ(e.verdict, row.file == InputRole::TestData ? Verdict::TestData : Verdict::Rejected);
    EXPECT_EQ(e.where.input, row.file);
    EXPECT_EQ(e.where.line, row.line);
    EXPECT_EQ(e.where.column, row.column);
    EXPECT_EQ(Facts(e), row.facts);
    EXPECT_EQ(e.section.line, row.section);
    EXPECT_EQ(e.section.testCase, row.section == 0 ? 0 : 1);
    const std::set<std::int32_t> missingLines = {78, 80, 83, 94, 98, 127, 139, 144, 185, 189};
    EXPECT_EQ(e.where.found, missingLines.count(row.location) == 0);
    // Both languages explain the fault, and every fact is a phrase that
    // names nothing by the check's own field names.
    EXPECT_FALSE(e.why.empty());
    EXPECT_FALSE(e.whySl.empty());
    // Every place of the sentence is filled: a name no fact has stays.
    EXPECT_EQ(e.why.find('{'), std::string::npos) << e.why;
    EXPECT_EQ(e.whySl.find('{'), std::string::npos) << e.whySl;
    for (const Language language : {Language::English, Language::Slovenian}) {
      const std::vector<std::string> phrases =
          FactPhrases(e.location, e.facts, e.where.line, language);
      std::size_t said = 0;
      for (const Fact& fact : e.facts) said += std::string_view(fact.name) == "x" ? 0U : 1U;
      EXPECT_EQ(phrases.size(), said);
      for (const std::string& phrase : phrases) {
        EXPECT_EQ(phrase.find('{'), std::string::npos) << phrase;
        for (const Fact& fact : e.facts) {
          const std::string name = fact.name;
          EXPECT_FALSE(phrase.starts_with(name + " = ")) << phrase;
          if (std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; })) {
            EXPECT_EQ(phrase.find(name), std::string::npos) << phrase;
          }
        }
      }
    }
  }
}

// Facts read as phrases with their numbers and nouns in each language's
// forms; the why sentence's ordinal is each language's.
TEST(Explain, SaysFactsAsPhrasesInBothLanguages) {
  const struct {
    std::int32_t location;
    std::vector<Fact> facts;
    Language language;
    std::vector<std::string> phrases;
  } rows[] = {
      {154,
       {{"p", 2, {}}, {"x", 7, {}}, {"stringLine", 9, {}}, {"got", 0, "b"}},
       Language::English,
       {"index i_2 = 7 selects t_7", "t_7 is on line 9", "the concatenation has 'b' there"}},
      {154,
       {{"p", 2, {}}, {"x", 7, {}}, {"stringLine", 9, {}}, {"got", 0, "b"}},
       Language::Slovenian,
       {"indeks i_2 = 7 izbere niz t_7", "niz t_7 je v 9. vrstici", "stik ima tam 'b'"}},
      {84,
       {{"testCase", 3, {}}, {"length", 1, {}}},
       Language::English,
       {"in the block of test case 3", "s has 1 letter"}},
      {84, {{"length", 1, {}}}, Language::Slovenian, {"niz s ima 1 črko"}},
      {84, {{"length", 2, {}}}, Language::Slovenian, {"niz s ima 2 črki"}},
      {84, {{"length", 104, {}}}, Language::Slovenian, {"niz s ima 104 črke"}},
      {84, {{"length", 111, {}}}, Language::Slovenian, {"niz s ima 111 črk"}},
      {84, {{"length", 12, {}}}, Language::English, {"s has 12 letters"}},
      {153, {{"position", 5, {}}}, Language::English, {"s ends after letter 4"}},
      {141,
       {{"j", 3, {}}, {"q", 0, {}}},
       Language::English,
       {"this is the line of t_3, which the message calls t_2",
        "the byte is t_2[0] as the message counts, letter 1 of the line"}},
      {149,
       {{"p", 4, {}}, {"x", 9, {}}, {"k", 2, {}}},
       Language::Slovenian,
       {"indeks i_4 je 9", "razdelek ima nize od t_1 do t_2 (k = 2)"}},
      {200, {{"testCases", 3, {}}}, Language::Slovenian, {"testni podatki imajo 3 testne primere"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.location);
    EXPECT_EQ(FactPhrases(row.location, row.facts, 0, row.language), row.phrases);
  }
  EXPECT_EQ(FillWhy("{j:ordinal} niz", {{"j", 3, {}}}, 0, Language::Slovenian), "3. niz");
  EXPECT_EQ(Plain("Črka š ž → č"), "Crka s z -> c");
}

// At a fault of the walk the explanation holds s and the concatenation
// side by side, a window around the letter where they part, with the
// pieces that cover it; the text shows them aligned with a caret.
TEST(Explain, AlignsSAndTheConcatenationAroundTheWalksFault) {
  const std::string s = Repeat("abc", 100);
  const std::string testData = "Krobelnik\n1\n\n1\n" + s + "\n";
  const std::string strings = "abcabcabc\nabcabd\n";
  const auto ones = [](int count) { return Repeat("1 ", count); };
  const struct {
    std::string indices;
    std::int32_t location;
    std::int64_t fault;  // from 1
    std::vector<std::string> lines;
    std::size_t pieces;
  } rows[] = {
      {ones(3) + "2 1 1",
       154,
       33,
       {"...cabcabc abcabcabc abcabcabc abcabc abcabcabc abcabcabcabcabcabcabc...",
        "...cabcabc|abcabcabc|abcabcabc|abcabd|abcabcabc|abcabcabc",
        "                                    ^"},
       6},
      {ones(33) + "1",
       153,
       301,
       {"...abcabcabc abcabcabc abcabcabc abc", "...abcabcabc|abcabcabc|abcabcabc|abcabcabc",
        "                                    ^"},
       4},
      {ones(1) + "1",
       158,
       19,
       {"abcabcabc abcabcabcabcabcabcabcabcabcabcabcabcabca...", "abcabcabc|abcabcabc",
        "                   ^"},
       2},
      {ones(32) + "2 1",
       154,
       294,
       {"...cabcabc abcabcabc abcabcabc abcabc abcabc",
        "...cabcabc|abcabcabc|abcabcabc|abcabd|abcabcabc", "                                    ^"},
       5},
      {ones(32) + "1",
       158,
       298,
       {"...abc abcabcabc abcabcabc abcabcabcabc", "...abc|abcabcabc|abcabcabc|abcabcabc",
        "                                    ^"},
       4},
      {ones(2) + "7 1",
       149,
       19,
       {"abcabcabc abcabcabc abcabcabcabcabcabcabcabcabcabca...", "abcabcabc|abcabcabc|?",
        "                    ^"},
       3},
  };
  // The same at every batch of numbers, the smallest putting the indices
  // the alignment keeps and the fault in batches of their own.
  for (const auto& row : rows) {
    for (const std::size_t batch : {ConverterSlots, MaxNumberBatch}) {
      SCOPED_TRACE(row.location);
      SCOPED_TRACE(batch);
      const int r = static_cast<int>(std::count(row.indices.begin(), row.indices.end(), ' ')) + 1;
      std::string submission = Header + "1\n2 ";
      submission.append(std::to_string(r)).append("\n").append(strings).append(row.indices);
      Explanation e;
      ExplainOptions options;
      options.numberBatch = batch;
      ASSERT_TRUE(
          Explain(Input::Text(testData), Input::Text(submission + "\n"), false, e, options));
      EXPECT_EQ(e.location, row.location);
      ASSERT_TRUE(e.alignment.present);
      EXPECT_EQ(e.alignment.fault + 1, row.fault);
      EXPECT_EQ(e.alignment.pieces.size(), row.pieces);
      const AlignedLines lines = RenderAlignment(e.alignment);
      EXPECT_EQ((std::vector<std::string>{lines.s, lines.concatenation, lines.marker}), row.lines);
      std::string text;
      OutputBuffer out(text);
      ASSERT_TRUE(PrintText(out, e, {{Language::English, true}, false}));
      EXPECT_NE(text.find("    yours  " + lines.concatenation + "\n"), std::string::npos) << text;
    }
  }
  // Faults elsewhere carry no alignment.
  EXPECT_FALSE(ExplainTexts(testData, Header + "1\n1 2\nabc\n1\n").alignment.present);
}

// With statistics, each accepted section tells which strings its indices
// use and how often, those never used and the lengths of its pieces; its
// pieces are kept in order.
TEST(Explain, CountsTheStringsAndPiecesOfAcceptedSections) {
  Explanation e;
  const std::string submission =
      Header + "1\n4 2\nab\nb\nabab\nzz\n1 1\n\n1\n3 3\na\nb\nab\n1 2 3\n";
  std::FILE* pieces = std::tmpfile();
  ASSERT_NE(pieces, nullptr);
  ASSERT_TRUE(Explain(Input::Text(OneCase), Input::Text(submission), false, e, {true, pieces}));
  ASSERT_EQ(e.verdict, Verdict::Accepted);
  ASSERT_EQ(e.stats.size(), 2U);
  const SectionStats& first = e.stats[0];
  EXPECT_EQ(first.score, 2 + 9);
  EXPECT_EQ(first.letters, 9);
  EXPECT_EQ(first.used, 1);
  EXPECT_EQ(first.unused, 3);
  EXPECT_EQ(first.unusedLetters, 1 + 4 + 2);
  ASSERT_EQ(first.mostUsed.size(), 1U);
  EXPECT_EQ(first.mostUsed[0].j, 1);
  EXPECT_EQ(first.mostUsed[0].uses, 2);
  ASSERT_EQ(first.firstUnused.size(), 3U);
  EXPECT_EQ(first.firstUnused[2].j, 4);
  EXPECT_EQ(first.lengths[1], 2);
  const SectionStats& second = e.stats[1];
  EXPECT_EQ(second.firstLine, 11);
  EXPECT_EQ(second.unused, 0);
  EXPECT_EQ(second.lengths[0], 2);
  EXPECT_EQ(second.lengths[1], 1);
  // Most letters first: t_3 (ab) before t_1 and t_2, which tie and go by j.
  EXPECT_EQ(second.mostUsed[0].j, 3);
  EXPECT_EQ(second.mostUsed[1].j, 1);
  EXPECT_EQ(second.piecesFrom, 2);
  // Little-endian 32-bit numbers: where each piece starts, and its x.
  std::rewind(pieces);
  unsigned char bytes[64];
  const std::size_t read = std::fread(bytes, 1, sizeof(bytes), pieces);
  std::fclose(pieces);
  std::vector<std::uint32_t> values;
  for (std::size_t b = 0; b + 4 <= read; b += 4)
    values.push_back(std::uint32_t{bytes[b]} | std::uint32_t{bytes[b + 1]} << 8 |
                     std::uint32_t{bytes[b + 2]} << 16 | std::uint32_t{bytes[b + 3]} << 24);
  EXPECT_EQ(values, (std::vector<std::uint32_t>{0, 1, 2, 1, 0, 1, 1, 2, 2, 3}));
  // More pieces than one write gathers (a MiB, 131072 of them): the file
  // gets them all, in order.
  const int many = 140000;
  std::FILE* file = std::tmpfile();
  ASSERT_NE(file, nullptr);
  Explanation longSection;
  ASSERT_TRUE(Explain(
      Input::Text("Krobelnik\n1\n\n1\n" + std::string(many, 'a') + "\n"),
      Input::Text(Header + "1\n1 " + std::to_string(many) + "\na\n" + Repeat("1 ", many) + "\n"),
      false, longSection, {true, file}));
  ASSERT_EQ(longSection.verdict, Verdict::Accepted);
  std::rewind(file);
  std::vector<unsigned char> all(std::size_t{8} * many + 1);
  const std::size_t got = std::fread(all.data(), 1, all.size(), file);
  std::fclose(file);
  ASSERT_EQ(got, std::size_t{8} * many);
  for (std::size_t i = 0; i < std::size_t{many}; i += 4999) {
    const unsigned char* piece = all.data() + 8 * i;
    EXPECT_EQ(std::uint32_t{piece[0]} | std::uint32_t{piece[1]} << 8 |
                  std::uint32_t{piece[2]} << 16 | std::uint32_t{piece[3]} << 24,
              i);
    EXPECT_EQ(piece[4], 1);
  }
  // Strings of one length, without the pieces' file, counted by the batch.
  Explanation uniform;
  ASSERT_TRUE(Explain(Input::Text(OneCase), Input::Text(Header + "1\n3 2\nab\nba\nbb\n1 1\n"),
                      false, uniform, {true, nullptr}));
  ASSERT_EQ(uniform.stats.size(), 1U);
  EXPECT_EQ(uniform.stats[0].lengths[1], 2);
  EXPECT_EQ(uniform.stats[0].used, 1);
  EXPECT_EQ(uniform.stats[0].unusedLetters, 4);
  EXPECT_EQ(uniform.stats[0].mostUsed[0].uses, 2);
  EXPECT_EQ(uniform.stats[0].piecesFrom, -1);
  std::string text;
  OutputBuffer out(text);
  ASSERT_TRUE(PrintText(out, e, {{Language::Slovenian, false}, true}));
  EXPECT_NE(text.find("Nikoli uporabljeni: 3 nizi; v rezultatu zaman stejejo njihove crke, "
                      "skupaj jih je 7: t_2 (vrstica 6), t_3 (vrstica 7), t_4 (vrstica 8)."),
            std::string::npos)
      << text;
  // A bucket of the histogram is labelled by the lengths it holds.
  EXPECT_NE(text.find("  Kosi po dolzini:\n    crke  kosi\n       1     2\n       2     1\n"),
            std::string::npos)
      << text;
}

// A fault in the index line that comes from a letter of a string line shows
// that letter on its line too, however many lines and letters lie before it.
TEST(Explain, ShowsTheLetterAtFaultOnItsStringLine) {
  const std::string longS = std::string(200, 'a') + "b";
  const std::string manyStrings = Repeat("a\n", 2999) + "b\n";
  std::string indices;
  for (int x = 1; x <= 3000; ++x) indices += std::to_string(x) + " ";
  const struct {
    std::string testData;
    std::string submission;
    std::int32_t location;
    std::int64_t line;
    std::int64_t column;
    std::string excerpt;
    std::int64_t excerptStart;
  } rows[] = {
      {OneCase, Header + "1\n2 2\nab\nb\n1 2\n", 154, 6, 1, "b", 1},
      {OneCase, Header + "1\n1 3\nab\n1 1 1\n", 153, 5, 1, "ab", 1},
      {"Krobelnik\n1\n\n1\n" + longS + "\n",
       Header + "\n1\n1 1\n" + std::string(200, 'a') + "c\r\n1\n", 154, 6, 201,
       std::string(50, 'a') + "c", 151},
      {"Krobelnik\n1\n\n1\n" + std::string(3000, 'a') + "\n",
       Header + "1\n3000 3000\n" + manyStrings + indices + "\n", 154, 3004, 1, "b", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.location);
    const Explanation e = ExplainTexts(row.testData, row.submission);
    EXPECT_EQ(e.location, row.location);
    ASSERT_TRUE(e.letter.has_value());
    EXPECT_EQ(e.letter->input, InputRole::Submission);
    EXPECT_EQ(e.letter->line, row.line);
    EXPECT_EQ(e.letter->column, row.column);
    EXPECT_TRUE(e.letter->found);
    EXPECT_EQ(e.letter->excerpt, row.excerpt);
    EXPECT_EQ(e.letter->excerptStart, row.excerptStart);
  }
}

// The catalogue of words is whole and sound: every entry in both languages,
// every place naming a value its entry declares, with as many forms as the
// language's plural rule; its sentences fill their places so.
TEST(Words, TheCatalogueIsSoundAndFillsItsPlaces) {
  EXPECT_EQ(CatalogueFaults(), std::vector<std::string>{});
  const struct {
    Language language;
    Word word;
    std::vector<WordValue> values;
    std::string said;
  } rows[] = {
      {Language::English, W("accepted"), {{"count", 1}}, "Accepted: 1 section."},
      {Language::English, W("accepted"), {{"count", 12345}}, "Accepted: 12 345 sections."},
      {Language::Slovenian, W("accepted"), {{"count", 1}}, "Sprejeto: 1 razdelek."},
      {Language::Slovenian, W("accepted"), {{"count", 2}}, "Sprejeto: 2 razdelka."},
      {Language::Slovenian, W("accepted"), {{"count", 104}}, "Sprejeto: 104 razdelki."},
      {Language::Slovenian, W("accepted"), {{"count", 111}}, "Sprejeto: 111 razdelkov."},
      {Language::Slovenian, W("accepted"), {{"count", 10000001}}, "Sprejeto: 10 000 001 razdelek."},
      {Language::English,
       W("pieceSelects"),
       {{"p", 1000000}, {"x", 12345}, {"line", 12349}, {"from", 10000000}},
       "i_1000000 = 12345 selects t_12345 (line 12 349): letter 10 000 000"},
      {Language::Slovenian,
       W("alignAt"),
       {{"fault", 10000001}, {"from", 9}, {"to", 70}, {"n", 10000000}},
       "Ločita se pri 10 000 001. črki niza s; prikazane so črke od 9 do 70 (niz s jih ima 10 000 "
       "000)."},
      {Language::Slovenian,
       W("faultSubmission"),
       {{"location", 154}},
       "Zavrnjeno: napaka je v odgovoru (lokacija 154)."},
      {Language::English,
       W("unknownLanguage"),
       {{"name", "si"}},
       "unknown language \"si\": the languages are sl (Slovenian) and en (English)"},
  };
  for (const auto& row : rows) {
    // Say takes its values as a list; the table keeps them in a vector.
    std::string said;
    switch (row.values.size()) {
      case 1:
        said = Say(row.language, row.word, {row.values[0]});
        break;
      case 4:
        said = Say(row.language, row.word,
                   {row.values[0], row.values[1], row.values[2], row.values[3]});
        break;
      default:
        said = Say(row.language, row.word);
    }
    EXPECT_EQ(said, row.said);
  }
  // A sentence outside the catalogue keeps a place it has no value for.
  const WordValue n{"n", 3};
  EXPECT_EQ(Fill("{n} {n:letter|letters}, {m}", Language::English, std::span(&n, 1)),
            "3 letters, {m}");
  EXPECT_EQ(Grouped(-1234567), "-1 234 567");
  EXPECT_EQ(Grouped(9999), "9999");
  EXPECT_EQ(Columns(Language::English, W("lengthColumns")),
            (std::vector<std::string>{"letters", "pieces"}));
}

// The why sentence names the facts and line of its fault; a message that
// counts strings from 0 is explained with both numbers.
TEST(Explain, FillsTheWhySentenceWithTheFactsOfTheFault) {
  const std::vector<Fact> facts = {{"j", 3, {}}, {"q", 0, {}}};
  EXPECT_EQ(FillWhy("t_{j-1} is the {j:ordinal} string, line {line}.", facts, 11),
            "t_2 is the 3rd string, line 11.");
  const struct {
    std::int64_t value;
    const char* ordinal;
  } ordinals[] = {{1, "1st"},
                  {2, "2nd"},
                  {3, "3rd"},
                  {4, "4th"},
                  {11, "11th"},
                  {12, "12th"},
                  {13, "13th"},
                  {21, "21st"},
                  {22, "22nd"},
                  {101, "101st"},
                  {111, "111th"},
                  {112, "112th"},
                  {1000000, "1 000 000th"}};
  for (const auto& o : ordinals)
    EXPECT_EQ(FillWhy("{j:ordinal}", {{"j", o.value, {}}}, 0), o.ordinal);
  const Explanation e = ExplainTexts(OneCase, Header + "1\n3 1\nab\nb\na b\n1\n");
  EXPECT_EQ(e.location, 141);
  EXPECT_EQ(e.why,
            "Strings may hold lowercase letters a to z only. The message counts strings from 0: "
            "its t_2 is the 3rd string, line 7.");
}

TEST(Explain, ReportsTheVerdictOfTheEvaluatorAndWhatAnAcceptedRunRead) {
  const Explanation accepted =
      ExplainTexts(OneCase, Header + "\n1\n2 2\nab\nb\n1 1\n\n1\n1 1\nabab\n1\n");
  EXPECT_EQ(ReportOf(accepted), "OK\n2\n1 5\n1 5\n");
  EXPECT_EQ(accepted.verdict, Verdict::Accepted);
  ASSERT_EQ(accepted.sections.Size(), 2U);
  EXPECT_EQ(accepted.sections[0].firstLine, 4);
  EXPECT_EQ(accepted.sections[1].firstLine, 10);
  EXPECT_EQ(accepted.sections[1].k, 1);

  Explanation alone;
  ASSERT_TRUE(Explain(Input::Text(OneCase), Input::Text(HeaderOnlySubmission), true, alone));
  EXPECT_EQ(ReportOf(alone), "OK\n0\n");
  EXPECT_EQ(alone.testCases.Count(), 1U);
}

// The section that counts for each test case is its lowest score, the first
// of equals; the test cases not answered are listed as ranges.
TEST(Explain, NamesTheBestSectionOfEachTestCaseAndThoseNotAnswered) {
  std::string testData = "Krobelnik\n7\n";
  for (int k = 1; k <= 7; ++k) testData.append("\n").append(std::to_string(k)).append("\nab\n");
  // Test case 2 three times (scores 4, 3, 3), test case 5 once.
  const std::string two = "2\n2 2\na\nb\n1 2\n";
  const std::string whole = "2\n1 1\nab\n1\n";
  const Explanation e = ExplainTexts(testData, Header + two + whole + whole + "5\n1 1\nab\n1\n");
  ASSERT_EQ(e.verdict, Verdict::Accepted);
  ASSERT_EQ(e.best.size(), 7U);
  EXPECT_EQ(e.best[1].sections, 3);
  EXPECT_EQ(e.best[1].score, 3);
  EXPECT_EQ(e.best[1].line, 8);
  EXPECT_EQ(e.best[4].sections, 1);
  std::size_t count = 0;
  EXPECT_EQ(UnansweredList(e.best, count), "1, 3-4, 6-7");
  EXPECT_EQ(count, 5U);
  std::string text;
  OutputBuffer out(text);
  ASSERT_TRUE(PrintText(out, e));
  EXPECT_NE(text.find("Test cases answered: 2 of 7; for each, the section of the lowest score "
                      "counts.\ntest case  best score  its line  sections\n"
                      "        2           3         8         3\n"
                      "        5           3        16         1\n"
                      "Not answered: 5 test cases: 1, 3-4, 6-7.\n"),
            std::string::npos)
      << text;
}

// Written to a terminal of some width, the rows of an excerpt and of the
// alignment are cut around what they point at, the caret still under it;
// into a file they go whole.
TEST(Explain, FitsItsRowsToTheWidthItIsGiven) {
  const std::string s(300, 'a');
  std::string indices;
  for (int i = 0; i < 299; ++i) indices += "1 ";
  indices += "2";
  const Explanation e =
      ExplainTexts("Krobelnik\n1\n\n1\n" + s + "\n", Header + "1\n2 300\na\nb\n" + indices + "\n");
  ASSERT_EQ(e.location, 154);
  for (const std::size_t width : {std::size_t{0}, std::size_t{40}, std::size_t{80}}) {
    SCOPED_TRACE(width);
    std::string text;
    OutputBuffer out(text);
    Presentation how;
    how.width = width;
    ASSERT_TRUE(PrintText(out, e, how));
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t end = text.find('\n', at);
      lines.push_back(text.substr(at, end - at));
      at = end + 1;
    }
    // Each caret stands under what it points at: the index excerpt's under
    // the index 2, the letter's under the b of t_2, the alignment's under
    // the b where the concatenation parts from s.
    std::string pointed;
    for (std::size_t l = 1; l < lines.size(); ++l) {
      const std::string& line = lines[l];
      if (line.find_first_not_of(" ^") != std::string::npos || line.find('^') == std::string::npos)
        continue;
      const std::size_t caret = line.find('^');
      pointed += caret < lines[l - 1].size() ? lines[l - 1][caret] : '?';
      if (width > 0) {
        EXPECT_LE(line.size(), width);
        EXPECT_LE(lines[l - 1].size(), width);
      }
    }
    EXPECT_EQ(pointed, "2bb") << text;
  }
  EXPECT_EQ(ColumnsOf("100", 60), 100U);
  EXPECT_EQ(ColumnsOf("x", 60), 60U);
  EXPECT_EQ(ColumnsOf(nullptr, 0), 80U);
  EXPECT_EQ(ColumnsOf("0", 0), 80U);
}

// An input that cannot be opened reads as empty, so the report blames its
// first line; the explanation blames the opening, with the system's reason.
TEST(Explain, BlamesAnInputThatCannotBeOpenedOnTheOpening) {
  testing::TempDir dir;
  testing::WriteFile(dir / "td.txt", OneCase);
  testing::WriteFile(dir / "bad.txt", "Krobelnik\n0\n");
  const struct {
    std::string testData;
    std::string submission;
    std::int32_t location;
    Fault fault;
    std::vector<InputRole> unopened;
  } rows[] = {
      {dir / "missing.txt",
       dir / "missing-too.txt",
       94,
       Fault::Unopened,
       {InputRole::TestData, InputRole::Submission}},
      {dir / "td.txt", dir / "missing.txt", 185, Fault::Unopened, {InputRole::Submission}},
      {dir / "td.txt", dir / "", 185, Fault::Unopened, {InputRole::Submission}},
      // The fault found lies in the test data, which was read.
      {dir / "bad.txt", dir / "missing.txt", 101, Fault::TestData, {InputRole::Submission}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.submission);
    Explanation e;
    ASSERT_TRUE(ExplainFiles(row.testData.c_str(), row.submission.c_str(), e));
    EXPECT_EQ(e.location, row.location);
    EXPECT_EQ(e.fault, row.fault);
    ASSERT_EQ(e.unopened.size(), row.unopened.size());
    for (std::size_t u = 0; u < e.unopened.size(); ++u) {
      EXPECT_EQ(e.unopened[u].input, row.unopened[u]);
      EXPECT_FALSE(e.unopened[u].reason.empty());
    }
  }
}

TEST(Explain, ExcerptShowsAboutAHundredBytesAroundTheColumnWithEscapes) {
  const std::string line = Repeat("1 ", 60) + "\t\xe8" + Repeat(" 1", 60);
  const Explanation e = ExplainTexts(OneCase, Header + "1\n1 1\nabab\n" + line + "\n");
  EXPECT_EQ(e.location, 55);
  EXPECT_EQ(e.where.column, 122);
  EXPECT_EQ(e.where.excerptStart, 72);
  EXPECT_EQ(e.where.excerpt.size(), 100U);
  EXPECT_TRUE(e.where.excerptGoesOn);
  testing::TempDir dir;
  {
    std::FILE* file = std::fopen((dir / "out.txt").c_str(), "wb");
    ASSERT_TRUE(PrintText(file, e));
    std::fclose(file);
  }
  const std::string printed = testing::ReadFile(dir / "out.txt");
  // The caret stands under the escape of the byte at the column.
  const std::size_t excerpt = printed.find("    ...");
  ASSERT_NE(excerpt, std::string::npos);
  const std::size_t caretLine = printed.find('\n', excerpt) + 1;
  const std::size_t caret = printed.find('^', caretLine) - caretLine;
  EXPECT_EQ(printed.substr(excerpt + caret, 5), "\\xe8 ");
  EXPECT_EQ(printed.substr(excerpt + caret - 2, 2), "\\t");
}

// The companion programs' own command lines, as an organiser types them:
// help and version on standard output with status 0; an input that cannot
// be opened named with the system's reason, status 2, never blamed on the
// contestant or the test data.
TEST(ExplainProgram, AnswersTheCommandLinesAnOrganiserTypes) {
  testing::TempDir dir;
  testing::WriteFile(dir / "td.txt", OneCase);
  testing::WriteFile(dir / "sub.txt", Header + "1\n1 1\nabab\n1\n");
  const std::string missing = dir / "missing.txt";
  const struct {
    const char* program;
    std::vector<std::string> args;
    int status;
    std::string outStart;
    std::string outHas;
    std::string errHas = "";
  } rows[] = {
      {EXPLAIN_PATH, {"--help"}, 0, "usage: Zelvor20Krobelnik-explain TESTDATA", "Exit status"},
      {EXPLAIN_PATH, {dir / "td.txt", "-h"}, 0, "usage: Zelvor20Krobelnik-explain", ""},
      {EXPLAIN_PATH, {"--version"}, 0, "Zelvor20Krobelnik-explain 1.", ""},
      {EXPLAIN_PATH, {dir / "td.txt", dir / "sub.txt"}, 0, "OK\n1\n1 5\n", "Accepted: 1"},
      {EXPLAIN_PATH,
       {dir / "td.txt", missing},
       2,
       "Napaka [Zelvor20Krobelnik:185]: manjka stevilka tekmovalca\n-1\n",
       "Could not open the answer " + missing + ": "},
      {EXPLAIN_PATH,
       {dir / "td.txt", dir / ""},
       2,
       "Napaka [Zelvor20Krobelnik:185]",
       "Could not open"},
      {EXPLAIN_PATH,
       {missing, dir / "sub.txt", "--json"},
       2,
       "{\"report\":\"Napaka [Zelvor20Krobelnik:94]",
       "\"fault\":\"unopened\""},
      {CHECK_PATH, {"--help"}, 0, "usage: Zelvor20Krobelnik-check-testdata TESTDATA|--kattis", ""},
      {CHECK_PATH, {"--version"}, 0, "Zelvor20Krobelnik-check-testdata 1.", ""},
      {CHECK_PATH, {missing}, 2, "", ""},
      {CHECK_PATH, {dir / "td.txt"}, 0, "sound: ", ""},
      {CHECK_PATH, {dir / "td.txt", "--lang", "sl"}, 0, "v redu: ", ""},
      // An unknown language is named, with the languages there are.
      {CHECK_PATH,
       {"--lang", "de", dir / "td.txt"},
       2,
       "",
       "",
       "unknown language \"de\": the languages are sl (Slovenian) and en (English)\nusage: "},
      {EXPLAIN_PATH, {"--help", "--lang", "sl"}, 0, "uporaba: ", "Izhodni status"},
      {EXPLAIN_PATH, {dir / "td.txt", dir / "sub.txt", "--lang"}, 2, "", ""},
      {EXPLAIN_PATH,
       {dir / "td.txt", dir / "sub.txt", "--lang", "si"},
       2,
       "",
       "",
       "unknown language \"si\": the languages are sl (Slovenian) and en (English)\nusage: "},
      // An accepted answer without --stats is told of it.
      {EXPLAIN_PATH,
       {dir / "td.txt", dir / "sub.txt"},
       0,
       "OK\n",
       "Every test case is answered.\nWith --stats: where each section's score comes from.\n"},
      // The pieces go with the statistics of an answer, and never into an
      // input.
      {EXPLAIN_PATH, {dir / "td.txt", dir / "sub.txt", "--pieces", dir / "p.bin"}, 2, "", ""},
      {EXPLAIN_PATH,
       {dir / "td.txt", dir / "sub.txt", "--stats", "--pieces", dir / "sub.txt"},
       2,
       "",
       ""},
      {EXPLAIN_PATH,
       {dir / "td.txt", dir / "sub.txt", "--stats", "--pieces", dir / "p.bin", "--lang", "sl"},
       0,
       "OK\n1\n1 5\n",
       "Uporabljeni nizi: 1 od 1."},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.args.front());
    const testing::Outcome outcome = testing::RunProgram(row.program, row.args, dir);
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.out.substr(0, row.outStart.size()), row.outStart);
    EXPECT_NE(outcome.out.find(row.outHas), std::string::npos) << outcome.out;
    EXPECT_NE(outcome.err.find(row.errHas), std::string::npos) << outcome.err;
    // Only a wrong command line or a file that cannot be read or written
    // is told on standard error.
    EXPECT_EQ(outcome.err.empty(), row.status == 0 || !row.outStart.empty()) << outcome.err;
  }
  // The input named as the pieces' file is as it was; the pieces of the
  // one section are one piece at 0, of t_1.
  EXPECT_EQ(testing::ReadFile(dir / "sub.txt"), Header + "1\n1 1\nabab\n1\n");
  EXPECT_EQ(testing::ReadFile(dir / "p.bin"), std::string("\0\0\0\0\1\0\0\0", 8));
}

// A place is found from an earlier line's offset by passing line feeds,
// across whole windows and chunk boundaries, and its line ends as the
// reader ends lines: at a line feed, a carriage return before it dropped.
TEST(PlaceReader, FindsLinesByTheirLineFeedsAndReadsThemAsLines) {
  std::string text;
  for (int line = 1; line <= 400000; ++line)
    text += std::to_string(line) + (line % 2 ? "\r\n" : "\n");
  const Input input = Input::Text(text);
  for (const std::int64_t skip : {0, 1, 63, 64, 150000, 399999}) {
    PlaceReader reader(input);
    ASSERT_TRUE(reader.Find({InputRole::Submission, skip + 1, 0, skip}));
    std::string bytes;
    EXPECT_FALSE(reader.LineBytes(1, 10, bytes));
    EXPECT_EQ(bytes, std::to_string(skip + 1));
  }
  PlaceReader past(input);
  EXPECT_FALSE(past.Find({InputRole::Submission, 400001, 0, 400000}));
  // From an offset, in a file: a start cut short, a line's numbers counted.
  testing::TempDir dir;
  testing::WriteFile(dir / "lines.txt", "x\n  12 3\t45\r\nab\rc\r");
  const Input file = Input::File(dir / "lines.txt");
  PlaceReader reader(file);
  ASSERT_TRUE(reader.Find({InputRole::Submission, 2, 2, 0}));
  std::string bytes;
  EXPECT_TRUE(reader.LineBytes(3, 3, bytes));
  EXPECT_EQ(bytes, "12 ");
  EXPECT_FALSE(reader.LineBytes(3, 100, bytes));
  EXPECT_EQ(bytes, "12 3\t45");
  EXPECT_EQ(reader.NumberColumn(1, 1), 3);
  EXPECT_EQ(reader.NumberColumn(2, 1), 6);
  EXPECT_EQ(reader.NumberColumn(1, 7), 8);
  EXPECT_EQ(reader.NumberColumn(4, 1), 0);
  // A carriage return is part of a line unless a line feed follows it.
  ASSERT_TRUE(reader.Find({InputRole::Submission, 3, 2, 1}));
  EXPECT_FALSE(reader.LineBytes(1, 100, bytes));
  EXPECT_EQ(bytes, "ab\rc\r");
}

// The explanation's report is the evaluator's, for every input the run fuzz
// target keeps: the same split of an input into test data and submission.
TEST(Explain, ReportIsTheEvaluatorsOnEveryFuzzCorpusInput) {
  const std::string fixedTestData = "Krobelnik\n3\n\n1\nabab\n\n2\nz\n\n3\nabcabcab\n";
  int inputs = 0;
  for (const char* folder : {"run", "parsers"}) {
    for (const auto& entry : std::filesystem::directory_iterator(
             testing::Native(std::string(KROBELNIK_SOURCE_DIR) + "/fuzz/corpus/" + folder))) {
      const std::string bytes = testing::ReadFile(testing::Utf8(entry.path()));
      const std::size_t split = bytes.find('\x1e');
      const Input testData =
          Input::Text(split == std::string::npos ? fixedTestData : bytes.substr(0, split));
      const Input submission =
          Input::Text(split == std::string::npos ? bytes : bytes.substr(split + 1));
      std::string report;
      ASSERT_TRUE(VerdictText(testData, submission, report));
      Explanation e;
      std::FILE* pieces = std::tmpfile();
      ASSERT_TRUE(Explain(testData, submission, false, e, {true, pieces}));
      std::fclose(pieces);
      EXPECT_EQ(ReportOf(e), report) << entry.path();
      if (e.verdict == Verdict::Rejected || e.verdict == Verdict::TestData) {
        EXPECT_GE(e.where.line, 1) << entry.path();
      }
      // Every form of the explanation is made, with the statistics and the
      // alignment, in both languages; each starts with the report.
      for (const Language language : {Language::English, Language::Slovenian}) {
        std::string text, json;
        OutputBuffer textOut(text), jsonOut(json);
        ASSERT_TRUE(PrintText(textOut, e, {{language, language == Language::English}, true}));
        ASSERT_TRUE(PrintJson(jsonOut, e, {{language, true}, true}));
        EXPECT_TRUE(text.starts_with(report)) << entry.path();
        EXPECT_TRUE(json.starts_with("{\"report\":")) << entry.path();
      }
      if (e.alignment.present) {
        // The letter where they part is shown, s's letters are s's.
        const Alignment& a = e.alignment;
        EXPECT_GE(a.fault, a.from) << entry.path();
        EXPECT_LE(a.fault, a.from + 31) << entry.path();
        EXPECT_FALSE(a.pieces.empty()) << entry.path();
      }
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 10);
}

}  // namespace
}  // namespace krobelnik
