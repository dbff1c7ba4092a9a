#include "testdata/test_data.h"

#include <string>
#include <vector>

#include "reading_support.h"
#include "test_support.h"

namespace krobelnik {
namespace {

using testing::ExpectFailure;
using testing::TempDir;
using testing::WriteFile;

TestCases Read(const std::string& text, std::size_t bufferSize = 7) {
  TestCases testCases;
  ReadTestData(*testing::TextReader(text, bufferSize), testCases);
  return testCases;
}

std::string Missing(int line) { return "manjka " + std::to_string(line) + ". vrstica"; }

TEST(ReadTestData, RejectsEachDefectWithItsLocationAndMessage) {
  const std::string head = "Krobelnik\n1\n";
  const std::string line1 = "v prvi vrstici bi moral biti niz \"Krobelnik\", ne pa \"";
  const std::string line2 = "v drugi vrstici bi moralo biti stevilo testnih primerov, ne pa \"";
  const std::string letter = "] bi moral biti mala crka angleske abecede, ne pa (char) ";
  const struct {
    std::string text;
    std::int32_t location;
    std::string message;
  } cases[] = {
      {"", 94, "manjka prva vrstica z imenom naloge"},
      {"krobelnik\n1\n\n1\na\n", 95, line1 + "krobelnik\""},
      {"Krobelnik \n1\n\n1\na\n", 95, line1 + "Krobelnik \""},
      {"Krobelni", 95, line1 + "Krobelni\""},
      {"Krobelnik%s\n", 95, line1 + "Krobelnik%s\""},
      {"Krobelnik", 98, "manjka druga vrstica s stevilom testnih primerov"},
      {"Krobelnik\n0\n\n1\na\n", 101, line2 + "0\""},
      {"Krobelnik\n-2\n", 101, line2 + "-2\""},
      {"Krobelnik\na\n", 101, line2 + "a\""},
      {"Krobelnik\n\n\n1\na\n", 101, line2 + "\""},
      {"Krobelnik\n-99999999999\n", 101, line2 + "-99999999999\""},
      {head, 78, Missing(3)},
      {"Krobelnik\n2\n\n1\nab\n", 78, Missing(6)},
      {"Krobelnik\n99999999999\n\n1\nab\n", 78, Missing(6)},
      {head + " \n1\na\n", 79, "vrstica 3 bi morala biti prazna, ne pa \" \""},
      {head + "\r\r\n1\na\n", 79, "vrstica 3 bi morala biti prazna, ne pa \"\r\""},
      {head + "\n", 80, Missing(4)},
      {head + "\n1 2\nab\n", 81,
       "v 4. vrstica bi moralo biti 1 stevilo (stevilka testnega primera), ne pa 2"},
      {head + "\n\nab\n", 81,
       "v 4. vrstica bi moralo biti 1 stevilo (stevilka testnega primera), ne pa 0"},
      {head + "\n+1\nab\n", 55, "namesto stevke se pojavlja znak s kodo 43"},
      {head + "\n2147483648\nab\n", 61, "stevilo 2147483648 je preveliko"},
      {head + "\n1\n", 83, Missing(5)},
      {head + "\n1\n\n", 84, "niz s je dolg 0 znakov, ne pa med 1 in 10000000"},
      {head + "\n1\nabCd\n", 85, "znak s[2" + letter + "67"},
      {head + "\n1\nab \n", 85, "znak s[2" + letter + "32"},
      {head + "\n1\na\rb\n", 85, "znak s[1" + letter + "13"},
      {head + "\n1\n\xe8\n", 85, "znak s[0" + letter + "232"},
      {head + "\n7\nab\n", 108, "v vrsticah 2..5 bi moral biti testni primer stevilka 1, ne pa 7"},
      {"Krobelnik\n2\n\n1\nab\n\n3\nc\n", 108,
       "v vrsticah 5..8 bi moral biti testni primer stevilka 2, ne pa 3"},
      {head + "\n7\naB\n", 85, "znak s[1" + letter + "66"},
  };
  for (const auto& c : cases)
    for (std::size_t bufferSize : {std::size_t{3}, LineReader::DefaultBufferSize})
      ExpectFailure(c.location, c.message, [&] { Read(c.text, bufferSize); });
}

TEST(ReadTestData, ReadsEveryBlock) {
  const auto cases = Read("Krobelnik\n2\n\n1\nabab\n\n2\nzzz\n");
  ASSERT_EQ(cases.Count(), 2U);
  EXPECT_EQ(cases[0].number, 1);
  EXPECT_EQ(cases[0].s, "abab");
  EXPECT_EQ(cases[1].number, 2);
  EXPECT_EQ(cases[1].s, "zzz");
}

TEST(ReadTestData, AcceptsLenientCountCrlfAndMissingFinalLineFeed) {
  const struct {
    std::string text;
    std::vector<std::string> strings;
  } cases[] = {
      {"Krobelnik\r\n2\r\n\r\n1\r\nabab\r\n\r\n 02 \r\nzzz", {"abab", "zzz"}},
      {"Krobelnik\n1 and more words\n\n1\nq", {"q"}},
      {"Krobelnik\n +1\n\n\t1\t\na\n", {"a"}},
      {"Krobelnik\n1\n\n1\nab\nanything\n\n2\nfurther block\n\xff", {"ab"}},
      {"Krobelnik\n1\n\n1\nab\n\n2\ncd\n", {"ab"}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> strings;
    const TestCases read = Read(c.text);
    for (std::size_t k = 0; k < read.Count(); ++k) strings.emplace_back(read[k].s);
    EXPECT_EQ(strings, c.strings);
  }
}

TEST(ReadTestData, LengthLimitOfS) {
  const auto limit = static_cast<std::size_t>(MaxStringLength);
  const std::string head = "Krobelnik\n1\n\n1\n";
  const auto cases = Read(head + std::string(limit, 'q') + "\n", LineReader::DefaultBufferSize);
  ASSERT_EQ(cases.Count(), 1U);
  EXPECT_EQ(cases[0].s.size(), 10000000U);
  ExpectFailure(84, "niz s je dolg 10000001 znakov, ne pa med 1 in 10000000",
                [&] { Read(head + std::string(limit + 1, 'q'), LineReader::DefaultBufferSize); });
  // The length is reported even when a later byte is not a letter.
  ExpectFailure(84, "niz s je dolg 10000002 znakov, ne pa med 1 in 10000000",
                [&] { Read(head + std::string(limit + 1, 'q') + "A\n", 4096); });
}

TEST(ReadTestData, FromFiles) {
  TempDir dir;
  TestCases cases;
  ExpectFailure(94, "manjka prva vrstica z imenom naloge",
                [&] { ReadTestData(*testing::FileReader(dir / "missing.txt"), cases); });
  ExpectFailure(94, "manjka prva vrstica z imenom naloge",
                [&] { ReadTestData(*testing::FileReader(dir / ""), cases); });
  WriteFile(dir / "td.txt", "Krobelnik\n1\n\n1\nabab\n");
  ReadTestData(*testing::FileReader(dir / "td.txt"), cases);
  ASSERT_EQ(cases.Count(), 1U);
  EXPECT_EQ(cases[0].s, "abab");
}

}  // namespace
}  // namespace krobelnik
