// Lines far longer than their limit are measured, not kept: the process's
// peak memory stays far below the line's size.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "test_support.h"

namespace krobelnik {
namespace {

using testing::ReadFile;
using testing::TempDir;

// Runs the real binary, within addressLimit bytes of memory when that is
// not zero, and returns its peak resident memory in MiB.
double PeakMiB(const std::string& testData, const std::string& submission,
               const std::string& report, rlim_t addressLimit = 0) {
  const pid_t child = fork();
  if (child == 0) {
    if (addressLimit != 0) {
      const rlimit limit{addressLimit, addressLimit};
      setrlimit(RLIMIT_AS, &limit);
    }
    execl(EVALUATOR_PATH, EVALUATOR_PATH, "eval", testData.c_str(), submission.c_str(),
          report.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return static_cast<double>(usage.ru_maxrss) / 1024;
}

void WriteLongFile(const std::string& path, const std::string& head, std::size_t letters,
                   const std::string& tail) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(head.data(), 1, head.size(), f);
  const std::string chunk(1 << 20, 'q');
  for (std::size_t left = letters; left > 0;) {
    const std::size_t size = std::min(left, chunk.size());
    std::fwrite(chunk.data(), 1, size, f);
    left -= size;
  }
  std::fwrite(tail.data(), 1, tail.size(), f);
  std::fclose(f);
}

TEST(Resources, OverlongLinesAreCountedWithoutBeingKept) {
  const std::size_t hundredMillion = 100000000;
  TempDir dir;
  const std::string small = dir / "small.txt", big = dir / "big.txt", rep = dir / "rep.txt";
  testing::WriteFile(small, "Krobelnik\n1\n\n1\nqq\n");

  WriteLongFile(big, "123456\nKrobelnik\n1\n1 1\n", hundredMillion, "\n1\n");
  EXPECT_LT(PeakMiB(small, big, rep), 60.0);
  EXPECT_EQ(ReadFile(rep),
            "Napaka [Zelvor20Krobelnik:140]: niz t_1 je dolg 100000000 znakov, moral bi biti od "
            "1 do 2\n-1\n");

  WriteLongFile(big, "Krobelnik\n1\n\n1\n", hundredMillion, "\n");
  testing::WriteFile(small, "123456\nKrobelnik\n");
  EXPECT_LT(PeakMiB(big, small, rep), 60.0);
  EXPECT_EQ(ReadFile(rep),
            "Napaka [Zelvor20Krobelnik:84]: niz s je dolg 100000000 znakov, ne pa med 1 in "
            "10000000\n-1\n");
}

#if defined(__SANITIZE_ADDRESS__)
#define KROBELNIK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KROBELNIK_SANITIZED 1
#endif
#endif

TEST(Resources, ExhaustedMemoryGivesTheUnexpectedFailureForm) {
#ifdef KROBELNIK_SANITIZED
  GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
#else
  TempDir dir;
  WriteLongFile(dir / "td.txt", "Krobelnik\n1\n\n1\n", 10000000, "\n");
  testing::WriteFile(dir / "sub.txt", "123456\nKrobelnik\n");
  PeakMiB(dir / "td.txt", dir / "sub.txt", dir / "rep.txt", rlim_t{30} << 20);
  EXPECT_EQ(ReadFile(dir / "rep.txt"),
            "Nepricakovana napaka.  Predlagamo, da obvestis organizatorje tekmovanja.\n-1\n");
#endif
}

}  // namespace
}  // namespace krobelnik
