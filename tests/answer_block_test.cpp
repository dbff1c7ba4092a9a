#include "answer/answer_block.h"

#include <string>
#include <vector>

#include "reading_support.h"
#include "test_support.h"

namespace krobelnik {
namespace {

using testing::ExpectFailure;

// Reads one section body against s from an in-memory stream; returns the
// score and checks that exactly the section's lines were consumed.
std::int32_t Score(const std::string& s, const std::string& body, std::size_t bufferSize = 5) {
  const TestCase testCase{1, s};
  const auto reader = testing::TextReader(body + "NEXT\n", bufferSize);
  LineReader& stream = *reader;
  AnswerBlock block;
  std::int64_t lineCounter = 4;
  ReadAnswerBlock(block, stream, lineCounter, 1, testCase);
  EXPECT_EQ(lineCounter, 4 + block.k + 2);
  std::string_view next;
  EXPECT_TRUE(testing::ReadWholeLine(stream, next));
  EXPECT_EQ(next, "NEXT");
  return block.score;
}

void Check(const std::string& s, const std::string& body, std::size_t bufferSize = 5) {
  const TestCase testCase{1, s};
  const auto reader = testing::TextReader(body, bufferSize);
  LineReader& stream = *reader;
  AnswerBlock block;
  std::int64_t lineCounter = 4;
  ReadAnswerBlock(block, stream, lineCounter, 1, testCase);
}

// A section of count one-letter strings, the letters of s in order, with
// replace standing in place of string t_at (counted from 1), and the index
// line 1 ... count; the lines after the first `lines` are left out.
std::string LetterSection(const std::string& s, std::size_t at, const std::string& replace,
                          std::size_t lines = 1000) {
  std::string body = std::to_string(s.size()) + " " + std::to_string(s.size()) + "\n";
  std::string indices;
  for (std::size_t j = 1; j <= s.size(); ++j) {
    if (j <= lines) body += (j == at ? replace : std::string(1, s[j - 1])) + "\n";
    indices += std::to_string(j) + " ";
  }
  return lines >= s.size() ? body + indices + "\n" : body;
}

// A section that cuts s into pieces of the given lengths, in order, with the
// index line 1 ... count; piece `at` (counted from 1) is replaced by replace.
std::string PieceSection(const std::string& s, const std::vector<std::size_t>& lengths,
                         std::size_t at = 0, const std::string& replace = "") {
  std::string body = std::to_string(lengths.size()) + " " + std::to_string(lengths.size()) + "\n";
  std::string indices;
  std::size_t from = 0;
  for (std::size_t j = 1; j <= lengths.size(); ++j) {
    body += (j == at ? replace : s.substr(from, lengths[j - 1])) + "\n";
    from += lengths[j - 1];
    indices += std::to_string(j) + " ";
  }
  return body + indices + "\n";
}

// The text with every line feed preceded by a carriage return.
std::string WithCrlf(const std::string& text) {
  std::string crlf;
  for (const char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

// Lengths 1 to 16 and back, summing to 300.
std::vector<std::size_t> PieceLengths() {
  std::vector<std::size_t> lengths;
  std::size_t sum = 0;
  for (std::size_t L = 1; sum + L <= 300; L = L % 16 + 1) {
    lengths.push_back(L);
    sum += L;
  }
  lengths.back() += 300 - sum;
  return lengths;
}

TEST(ReadAnswerBlock, ScoresAcceptedSections) {
  std::string alphabet;
  for (int c = 0; c < 130; ++c) alphabet += static_cast<char>('a' + c * 7 % 26);
  std::string text;
  for (int c = 0; c < 300; ++c) text += static_cast<char>('a' + c * 11 % 26);
  const std::vector<std::size_t> pieces = PieceLengths();
  const struct {
    std::string s;
    std::string body;
    std::int32_t score;
  } cases[] = {
      {"abab", "2 2\nab\nb\n1 1\n", 5},
      {"q", "1 1\nq\n1\n", 2},
      {"abc", "3 1\nx\ny\nabc\n3\n", 6},
      {"ab", "2 2\na\nb\n1 2\n", 4},
      {"abab", " \t2\t 2 \r\nab\r\nb\r\n 1\t1 \r\n", 5},
      {"aaaa", "3 3\naa\na\naa\n3 2 2\n", 8},
      {alphabet, LetterSection(alphabet, 0, ""), 260},
      {alphabet, LetterSection(alphabet, 40, std::string(1, alphabet[39]) + "\r"), 260},
      {text, PieceSection(text, pieces), static_cast<std::int32_t>(300 + pieces.size())},
      {text, WithCrlf(PieceSection(text, pieces)), static_cast<std::int32_t>(300 + pieces.size())},
  };
  for (const auto& c : cases) {
    for (std::size_t bufferSize : {std::size_t{2}, std::size_t{5}, LineReader::DefaultBufferSize})
      EXPECT_EQ(Score(c.s, c.body, bufferSize), c.score) << c.body;
  }
}

TEST(ReadAnswerBlock, RejectsEachDefectWithItsLocationAndMessage) {
  std::string alphabet;
  for (int c = 0; c < 130; ++c) alphabet += static_cast<char>('a' + c * 7 % 26);
  std::string text;
  for (int c = 0; c < 300; ++c) text += static_cast<char>('a' + c * 11 % 26);
  const std::vector<std::size_t> pieces = PieceLengths();
  const std::string letter = "] bi moral biti mala crka angleske abecede, ne pa (char) ";
  const std::string joined = "stik nizov t_{i_1}} ... t_{i_r}} je ";
  const std::string at = ". znak v stiku t_{i_1}} ... t_{i_r}} je '";
  const struct {
    std::string s;
    std::string body;
    std::int32_t location;
    std::string message;
  } cases[] = {
      {"abab", "", 127, "manjka vrstica s steviloma k in r"},
      {"abab", "\n", 129, "v prvi vrstici je 0 stevil, morali bi biti dve (k in r)"},
      {"abab", "2\n", 129, "v prvi vrstici je 1 stevil, morali bi biti dve (k in r)"},
      {"abab", "1 2 3\n", 129, "v prvi vrstici je 3 stevil, morali bi biti dve (k in r)"},
      {"abab", "1 -2\n", 55, "namesto stevke se pojavlja znak s kodo 45"},
      {"abab", "0 1\n", 132, "stevilo k bi moralo biti od 1 do 4, ne pa 0"},
      {"abab", "5 1\n", 132, "stevilo k bi moralo biti od 1 do 4, ne pa 5"},
      {"abab", "5 0\n", 132, "stevilo k bi moralo biti od 1 do 4, ne pa 5"},
      {"abab", "1 0\n", 133, "stevilo r bi moralo biti od 1 do 4, ne pa 0"},
      {"abab", "1 5\n", 133, "stevilo r bi moralo biti od 1 do 4, ne pa 5"},
      {"abab", "3 1\nab\nb\n", 139, "manjka vrstica z nizom t_3"},
      {"abab", "1 1\n", 139, "manjka vrstica z nizom t_1"},
      {"abab", "1 1\n\n", 140, "niz t_1 je dolg 0 znakov, moral bi biti od 1 do 4"},
      {"abab", "2 1\na\nababa\n", 140, "niz t_2 je dolg 5 znakov, moral bi biti od 1 do 4"},
      {"abab", "2 1\na\nabAba\n", 140, "niz t_2 je dolg 5 znakov, moral bi biti od 1 do 4"},
      {"abab", "1 1\nab c\n", 141, "znak t_0[2" + letter + "32"},
      {"abab", "4 1\na\nb\na\nAb\n", 141, "znak t_3[0" + letter + "65"},
      {"abab", "1 1\na\xe9\n", 141, "znak t_0[1" + letter + "233"},
      {"abab", "1 1\na\rb\n", 141, "znak t_0[1" + letter + "13"},
      {"abab", std::string("1 1\na\0\n", 7), 141, "znak t_0[1" + letter + "0"},
      {"abab", "2 2\nab\nB\nx\n", 141, "znak t_1[0" + letter + "66"},
      {"abab", "2 2\nab\nb\n", 144, "manjka vrstica z zaporedjem i_1, ..., i_r"},
      {"abab", "2 2\nab\nb\n\n", 145, "zaporedje i-jev je dolgo 0 elementov, moralo bi biti r = 2"},
      {"abab", "2 2\nab\nb\n1 1 1\n", 145,
       "zaporedje i-jev je dolgo 3 elementov, moralo bi biti r = 2"},
      {"abab", "2 1\nab\nb\n1 x\n", 55, "namesto stevke se pojavlja znak s kodo 120"},
      {"abab", "2 1\nab\nb\n1 2147483648\n", 61, "stevilo 2147483648 je preveliko"},
      {"abab", "2 2\nab\nb\n1 0\n", 149, "indeks i_2 bi moral biti od 1 do 2, ne pa 0"},
      {"abab", "2 2\nab\nb\n3 1\n", 149, "indeks i_1 bi moral biti od 1 do 2, ne pa 3"},
      {"abab", "1 2\nab\n1 2147483647\n", 149,
       "indeks i_2 bi moral biti od 1 do 1, ne pa 2147483647"},
      {"abab", "1 2\nab\n1 9\n", 149, "indeks i_2 bi moral biti od 1 do 1, ne pa 9"},
      {"abc", "1 2\nabc\n1 1\n", 153, joined + "daljsi od niza s"},
      {"abab", "2 2\naba\nbab\n1 2\n", 153, joined + "daljsi od niza s"},
      {"ab", "1 2\na\n1 1\n", 154, "2" + at + "a', v nizu s pa 'b'"},
      {"abc", "1 1\nabd\n1\n", 154, "3" + at + "d', v nizu s pa 'c'"},
      {"abab", "2 2\naba\naab\n1 2\n", 154, "4" + at + "a', v nizu s pa 'b'"},
      {"aa", "2 2\nb\na\n1 3\n", 154, "1" + at + "b', v nizu s pa 'a'"},
      {"abc", "2 3\na\nx\n1 3 2\n", 149, "indeks i_2 bi moral biti od 1 do 2, ne pa 3"},
      {"abc", "1 1\nab\n1\n", 158, joined + "krajsi od niza s"},
      {"abab", "2 2\na\nb\n1 2\n", 158, joined + "krajsi od niza s"},
      {alphabet, LetterSection(alphabet, 70, "A"), 141, "znak t_69[0" + letter + "65"},
      {alphabet, LetterSection(alphabet, 100, alphabet.substr(99, 1) + "b"), 154,
       "101" + at + "b', v nizu s pa '" + alphabet.substr(100, 1) + "'"},
      {alphabet, LetterSection(alphabet, 0, "", 96), 139, "manjka vrstica z nizom t_97"},
      {text, PieceSection(text, pieces, 30, "abcXef"), 141, "znak t_29[3" + letter + "88"},
      {text, PieceSection(text, pieces, 20, ""), 140,
       "niz t_20 je dolg 0 znakov, moral bi biti od 1 do 300"},
      {text, PieceSection(text, pieces, 25, "abcd\r\r"), 141, "znak t_24[4" + letter + "13"},
      {text, PieceSection(text, pieces, 35, "abcdefghijklmnopq"), 154,
       "276" + at + "a', v nizu s pa 'j'"},
      {"abcdefgh", PieceSection("abcdefgh", {2, 2, 2, 2}, 3, "efghefghe"), 140,
       "niz t_3 je dolg 9 znakov, moral bi biti od 1 do 8"},
  };
  for (const auto& c : cases)
    for (std::size_t bufferSize : {std::size_t{2}, LineReader::DefaultBufferSize})
      ExpectFailure(c.location, c.message, [&] { Check(c.s, c.body, bufferSize); });
}

TEST(ReadAnswerBlock, StringLongerThanSIsReportedWithItsTrueLength) {
  const std::string s(1000, 'a');
  ExpectFailure(140, "niz t_1 je dolg 3000000 znakov, moral bi biti od 1 do 1000",
                [&] { Check(s, "1 1\n" + std::string(3000000, 'a') + "\n1\n", 4096); });
}

// The place of a line that the test does not name.
LineContext NoLine() { return {}; }

TEST(AddToScore, RefusesToPassTheLargest32BitValue) {
  EXPECT_EQ(AddToScore(2147483640, 7, 3, NoLine), 2147483647);
  EXPECT_EQ(AddToScore(1, 10000000, 1, NoLine), 10000001);
  ExpectFailure(142, "stevilo tock bi preseglo 2147483647 pri nizu t_3",
                [] { AddToScore(2147483640, 8, 3, NoLine); });
  ExpectFailure(142, "stevilo tock bi preseglo 2147483647 pri nizu t_10000000",
                [] { AddToScore(2147483647, 1, 10000000, NoLine); });
}

}  // namespace
}  // namespace krobelnik
