// Benchmark runner: generates full-size workloads, runs the evaluator on each
// and prints wall time, throughput, peak memory and input size, each beside a
// baseline that only reads the same files end to end, and the time and peak
// memory of the explain program on the same files; then a scaling table.
//
//   bench_run [--dir DIR] [--runs N] [--evaluator PATH] [--explain PATH]
//             [--yardstick DIR [--node PATH]] [--only KIND]
//
// With --only, only the workloads whose kind holds KIND are generated and
// measured (and the yardstick's, when named).
//
// With --node too, the evaluator built for Node (PATH, its .js) is measured
// on W1 to W6 beside the native evaluator at the plain scan level, in pairs,
// and their reports compared.
//
// With --yardstick, the team's shared workloads W1 to W6 in that folder (as
// its generator makes them) are measured too, first. The explain program's
// time is given as the median of its ratio to the evaluator's over runs
// made in pairs, the two programs one after the other on the same files.
//
// Workloads (about 450 MB) are written to DIR and kept there for the next run;
// without --dir they go to a fresh folder in the temporary directory, which is
// removed at the end. Measuring happens in a fresh image of this program, so
// that the peak memory of each evaluator run is its own and not that of the
// generator.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "bench_workloads.h"

namespace {

using krobelnik::bench::Workload;

struct Plan {
  const char* kind;
  std::int64_t n;
  bool main;  // in the main table; the others make up the scaling table
};

const Plan Plans[] = {
    {"letters", 10000000, true},
    {"many", 10000000, true},
    {"pieces", 10000000, true},
    {"phrases", 10000000, true},
    {"multi", 10000000, true},
    {"late", 10000000, true},
    {"small", 10000000, true},
    {"late-string", 10000000, true},
    {"late-count", 10000000, true},
    {"zeros", 10000000, true},
    {"repeat-a-10000", 10000000, true},
    {"repeat-a-40000", 10000000, true},
    {"repeat-block-10000", 10000000, true},
    {"repeat-block-40000", 10000000, true},
    {"repeat-halves-10000", 10000000, true},
    {"repeat-halves-40000", 10000000, true},
    {"repeat-two-10000", 10000000, true},
    {"repeat-two-40000", 10000000, true},
    {"repeat-fibonacci-2000", 10000000, true},
    {"repeat-fibonacci-8000", 10000000, true},
    {"repeat-fibonacci-two-2000", 10000000, true},
    {"repeat-fibonacci-ten-2000", 10000000, true},
    {"letters", 100000, false},
    {"letters", 1000000, false},
    {"letters", 10000000, false},
    {"phrases", 100000, false},
    {"phrases", 1000000, false},
    {"phrases", 10000000, false},
    {"many", 100000, false},
    {"many", 1000000, false},
    {"many", 10000000, false},
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteAll(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// Seconds to read both files end to end in 1 MiB steps: the least any
// evaluator must spend on them.
double Baseline(const Workload& w) {
  static std::vector<char> buffer(1 << 20);
  const auto start = std::chrono::steady_clock::now();
  for (const std::string& path : {w.testData, w.submission}) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    while (std::fread(buffer.data(), 1, buffer.size(), f) > 0) {
    }
    std::fclose(f);
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

struct Run {
  double seconds;
  long peakKiB;
  std::string report;
};

// Runs argv (argv[0] found on the path) with KROBELNIK_SCAN=level when level
// is not empty, its standard output to the report's path when toReport; its
// time, peak memory and the report. It must end with the status expected.
Run RunCommand(const std::vector<std::string>& argv, const std::string& level,
               const std::string& reportPath, bool toReport = false, int expected = 0) {
  // Nothing buffered may reach the child, which writes to its own stdout.
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (!level.empty()) setenv("KROBELNIK_SCAN", level.c_str(), 1);
    if (toReport && std::freopen(reportPath.c_str(), "wb", stdout) == nullptr) _exit(127);
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != expected) {
    std::fprintf(stderr, "%s ended with status %d\n", argv[0].c_str(), status);
    std::exit(1);
  }
  return {seconds, usage.ru_maxrss, ReadAll(reportPath)};
}

// Runs the evaluator (explain empty) or the explain program, whose output
// goes to the report's path.
Run Evaluate(const std::string& evaluator, const Workload& w, const std::string& reportPath,
             const std::string& explain = "") {
  if (explain.empty())
    return RunCommand({evaluator, "eval", w.testData, w.submission, reportPath}, "", reportPath);
  // The explain program ends with 1 for a rejected submission.
  return RunCommand({explain, w.testData, w.submission}, "", reportPath, true,
                    w.expectedLocation != 0 ? 1 : 0);
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// A workload of the shared yardstick: its files and, from expected.json, its
// report or the location of its rejection.
Workload LoadYardstick(const std::string& dir, const std::string& name) {
  Workload w;
  w.name = name;
  w.testData = dir + "/" + name + "/testdata.txt";
  w.submission = dir + "/" + name + "/submission.txt";
  const std::string expected = ReadAll(dir + "/" + name + "/expected.json");
  const std::size_t location = expected.find("\"location\": ");
  if (location != std::string::npos) {
    w.expectedLocation = std::atoi(expected.c_str() + location + 12);
    return w;
  }
  const std::size_t report = expected.find("\"report\": \"");
  if (report != std::string::npos) {
    const std::size_t from = report + 11;
    const std::string escaped = expected.substr(from, expected.find('"', from) - from);
    for (std::size_t c = 0; c < escaped.size(); ++c) {
      if (escaped[c] == '\\' && c + 1 < escaped.size() && escaped[c + 1] == 'n') {
        w.expectedReport += '\n';
        ++c;
      } else {
        w.expectedReport += escaped[c];
      }
    }
  }
  return w;
}

Workload Load(const std::string& dir, const Plan& plan) {
  Workload w;
  w.name = std::string(plan.kind) + "-n" + std::to_string(plan.n);
  w.testData = dir + "/" + w.name + "/testdata.txt";
  w.submission = dir + "/" + w.name + "/submission.txt";
  w.expectedReport = ReadAll(dir + "/" + w.name + "/expected.txt");
  // A rejection is known by its location number alone.
  if (!w.expectedReport.empty() &&
      w.expectedReport.find_first_not_of("0123456789") == std::string::npos) {
    w.expectedLocation = std::stoi(w.expectedReport);
    w.expectedReport.clear();
  }
  return w;
}

// Measures one workload of the main table and prints its row; false when a
// report is wrong.
bool MeasureRow(const Workload& w, int runs, const std::string& evaluator,
                const std::string& explain, const std::string& reportPath,
                std::map<std::string, double>& measured, bool main) {
  const double input = static_cast<double>(std::filesystem::file_size(w.testData) +
                                           std::filesystem::file_size(w.submission));
  std::vector<double> base, eval, explained, ratios;
  long peak = 0;
  long explainPeak = 0;
  std::string report;
  Evaluate(evaluator, w, reportPath);  // warm-up
  for (int run = 0; run < runs; ++run) {
    base.push_back(Baseline(w));
    const Run r = Evaluate(evaluator, w, reportPath);
    eval.push_back(r.seconds);
    peak = std::max(peak, r.peakKiB);
    report = r.report;
    if (main) {
      const Run e = Evaluate(evaluator, w, reportPath, explain);
      explained.push_back(e.seconds);
      ratios.push_back(e.seconds / r.seconds);
      explainPeak = std::max(explainPeak, e.peakKiB);
      // The explanation starts with the evaluator's report.
      if (e.report.compare(0, report.size(), report) != 0) {
        std::fprintf(stderr, "%s: the explanation's report differs\n", w.name.c_str());
        return false;
      }
    }
  }
  const std::string failure =
      "Napaka [Zelvor20Krobelnik:" + std::to_string(w.expectedLocation) + "]: ";
  const bool right =
      w.expectedLocation != 0 ? report.rfind(failure, 0) == 0 : report == w.expectedReport;
  if (!right) {
    std::fprintf(stderr, "%s: wrong report: %.200s\n", w.name.c_str(), report.c_str());
    return false;
  }
  const double mib = input / (1 << 20);
  measured[w.name] = Median(eval);
  if (main) {
    std::printf("%-22s %9.1f %10.3f %9.3f %7.2f %9.0f %9.1f %9.2f %9.3f %7.2f %9.1f  %s\n",
                w.name.c_str(), mib, Median(base), Median(eval), Median(eval) / Median(base),
                mib / Median(eval), static_cast<double>(peak) / 1024,
                static_cast<double>(peak) * 1024 / input, Median(explained), Median(ratios),
                static_cast<double>(explainPeak) / 1024,
                w.expectedLocation != 0
                    ? ("rejected " + std::to_string(w.expectedLocation) + " as expected").c_str()
                    : "OK as expected");
  }
  std::fflush(stdout);
  return true;
}

// The Node form of the evaluator beside the native one at the plain level,
// on the yardstick's workloads; false when their reports differ.
bool MeasureNode(const std::string& yardstick, const std::string& node,
                 const std::string& evaluator, const std::string& reportPath, int runs) {
  std::printf("\n%-22s %12s %9s %7s %9s  %s\n", "workload", "native plain", "node s", "x plain",
              "peak MiB", "reports");
  for (const char* name : {"W1", "W2", "W3", "W4", "W5", "W6"}) {
    const Workload w = LoadYardstick(yardstick, name);
    const std::vector<std::string> native = {evaluator, "eval", w.testData, w.submission,
                                             reportPath};
    const std::vector<std::string> inNode = {"node",     node,         "eval",
                                             w.testData, w.submission, reportPath};
    std::vector<double> plain, wasm, ratios;
    long peak = 0;
    bool same = true;
    RunCommand(inNode, "", reportPath);  // warm-up
    for (int run = 0; run < runs; ++run) {
      const Run a = RunCommand(native, "plain", reportPath);
      const Run b = RunCommand(inNode, "", reportPath);
      plain.push_back(a.seconds);
      wasm.push_back(b.seconds);
      ratios.push_back(b.seconds / a.seconds);
      peak = std::max(peak, b.peakKiB);
      same = same && a.report == b.report;
    }
    std::printf("%-22s %12.3f %9.3f %7.2f %9.1f  %s\n", name, Median(plain), Median(wasm),
                Median(ratios), static_cast<double>(peak) / 1024, same ? "equal" : "DIFFER");
    std::fflush(stdout);
    if (!same) return false;
  }
  return true;
}

// Whether plan is one of those asked for: all, or those whose kind holds
// only.
bool Chosen(const Plan& plan, const std::string& only) {
  return only.empty() || std::string(plan.kind).find(only) != std::string::npos;
}

int Measure(const std::string& dir, int runs, const std::string& evaluator,
            const std::string& explain, const std::string& yardstick, const std::string& node,
            const std::string& only) {
  const std::string reportPath = dir + "/report.txt";
  std::printf("%-22s %9s %10s %9s %7s %9s %9s %9s %9s %7s %9s  %s\n", "workload", "input MiB",
              "baseline s", "eval s", "ratio", "MiB/s", "peak MiB", "RSS/input", "explain s",
              "x eval", "peak MiB", "verdict");
  std::map<std::string, double> measured;
  if (!yardstick.empty()) {
    for (const char* name : {"W1", "W2", "W3", "W4", "W5", "W6"})
      if (!MeasureRow(LoadYardstick(yardstick, name), runs, evaluator, explain, reportPath,
                      measured, true))
        return 1;
    if (!node.empty()) return MeasureNode(yardstick, node, evaluator, reportPath, runs) ? 0 : 1;
  }
  bool scaling = false;
  for (const Plan& plan : Plans) {
    if (!Chosen(plan, only)) continue;
    if (!plan.main && !scaling) {
      scaling = true;
      std::printf("\nscaling (time per letter of s should stay flat):\n");
      std::printf("%-22s %9s %9s %12s\n", "workload", "n", "eval s", "ns/letter");
    }
    const Workload w = Load(dir, plan);
    if (plan.main || measured.count(w.name) == 0) {
      if (!MeasureRow(w, runs, evaluator, explain, reportPath, measured, plan.main)) return 1;
    }
    if (!plan.main)
      std::printf("%-22s %9lld %9.4f %12.2f\n", w.name.c_str(), static_cast<long long>(plan.n),
                  measured[w.name], measured[w.name] * 1e9 / static_cast<double>(plan.n));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir;
  std::string evaluator = EVALUATOR_PATH;
  std::string explain = EXPLAIN_PATH;
  std::string yardstick;
  std::string node;
  std::string only;
  int runs = 5;
  bool measure = false;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--dir" && a + 1 < argc) {
      dir = argv[++a];
    } else if (arg == "--runs" && a + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++a]));
    } else if (arg == "--evaluator" && a + 1 < argc) {
      evaluator = argv[++a];
    } else if (arg == "--explain" && a + 1 < argc) {
      explain = argv[++a];
    } else if (arg == "--yardstick" && a + 1 < argc) {
      yardstick = argv[++a];
    } else if (arg == "--node" && a + 1 < argc) {
      node = argv[++a];
    } else if (arg == "--only" && a + 1 < argc) {
      only = argv[++a];
    } else if (arg == "--measure") {
      measure = true;
    } else {
      std::fprintf(stderr,
                   "usage: bench_run [--dir DIR] [--runs N] [--evaluator PATH] [--explain PATH] "
                   "[--yardstick DIR [--node PATH]] [--only KIND]\n");
      return 2;
    }
  }
  if (measure) return Measure(dir, runs, evaluator, explain, yardstick, node, only);

  const bool temporary = dir.empty();
  if (temporary)
    dir = (std::filesystem::temp_directory_path() / ("krobelnik-bench-" + std::to_string(getpid())))
              .string();
  for (const Plan& plan : Plans) {
    if (!Chosen(plan, only)) continue;
    const std::string name = std::string(plan.kind) + "-n" + std::to_string(plan.n);
    std::string marker = dir;
    marker.append("/").append(name).append("/expected.txt");
    if (std::filesystem::exists(marker)) continue;
    std::fprintf(stderr, "generating %s\n", name.c_str());
    const Workload w = krobelnik::bench::Generate(dir, plan.kind, plan.n);
    WriteAll(marker,
             w.expectedLocation != 0 ? std::to_string(w.expectedLocation) : w.expectedReport);
  }
  // Measure from a fresh, small image of this program.
  const std::string runsText = std::to_string(runs);
  const pid_t child = fork();
  if (child == 0) {
    execl("/proc/self/exe", argv[0], "--dir", dir.c_str(), "--runs", runsText.c_str(),
          "--evaluator", evaluator.c_str(), "--explain", explain.c_str(), "--yardstick",
          yardstick.c_str(), "--node", node.c_str(), "--only", only.c_str(), "--measure",
          static_cast<char*>(nullptr));
    std::perror("exec");
    _exit(1);
  }
  int status = 1;
  if (child < 0 || waitpid(child, &status, 0) != child) status = 1;
  if (temporary) {
    std::error_code ignored;
    std::filesystem::remove_all(dir, ignored);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
