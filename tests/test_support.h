#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#if defined(_WIN32)
#if !defined(NOMINMAX)
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include "failure/assertion.h"

// Skips a test on Windows, the reason beside it.
#if defined(_WIN32)
#define KROBELNIK_SKIP_ON_WINDOWS(reason) GTEST_SKIP() << (reason)
#else
#define KROBELNIK_SKIP_ON_WINDOWS(reason) static_cast<void>(reason)
#endif

// Defined in a build with AddressSanitizer, whose shadow memory and
// quarantine of freed blocks count in a process's peak memory.
#if defined(__SANITIZE_ADDRESS__)
#define KROBELNIK_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KROBELNIK_SANITIZED 1
#endif
#endif

namespace krobelnik::testing {

// A file name held as UTF-8, as the programs take them, for the library's
// own calls.
inline std::filesystem::path Native(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string name = path.u8string();
  return std::string(name.begin(), name.end());
}

// Runs action and expects it to raise EAssertion with exactly this location
// and message.
inline void ExpectFailure(std::int32_t location, const std::string& message,
                          const std::function<void()>& action) {
  try {
    action();
    ADD_FAILURE() << "no failure; expected " << location << ": " << message;
  } catch (const EAssertion& failure) {
    EXPECT_EQ(failure.location, location) << failure.message;
    EXPECT_EQ(failure.message, message);
  }
}

// The failure that action raises; a failure of the test, and a blank one,
// when it raises none.
inline EAssertion Caught(const std::function<void()>& action) {
  try {
    action();
  } catch (const EAssertion& failure) {
    return failure;
  }
  ADD_FAILURE() << "no failure";
  return EAssertion{{}, {}, 0, std::nullopt, {}};
}

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    static std::mt19937_64 random(std::random_device{}());
    path_ = std::filesystem::temp_directory_path() / ("krobelnik-test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The name of an entry of the folder, as UTF-8.
  std::string operator/(const std::string& name) const { return Utf8(path_ / Native(name)); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(Native(path), std::ios::binary);
  out << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text as a program wrote it to a file or a stream in text mode, read back as
// text mode reads it: on Windows each line feed must follow a carriage
// return, which is dropped; elsewhere the bytes as they are.
inline std::string AsText(const std::string& written) {
#if defined(_WIN32)
  std::string text;
  for (std::size_t b = 0; b < written.size(); ++b) {
    if (written[b] == '\r' && b + 1 < written.size() && written[b + 1] == '\n') continue;
    if (written[b] == '\n' && (b == 0 || written[b - 1] != '\r'))
      ADD_FAILURE() << "a bare line feed";
    text += written[b];
  }
  return text;
#else
  return written;
#endif
}

// The report at path, read as text.
inline std::string ReadReport(const std::string& path) { return AsText(ReadFile(path)); }

// What a program did: its exit status, and its standard output and error
// read as text.
struct Outcome {
  int status;
  std::string out;
  std::string err;
};

// Runs program with args, its output going to files in folder; with input,
// that file arrives on its standard input through a pipe (on Windows as the
// file itself).
inline Outcome RunProgram(std::string program, const std::vector<std::string>& args,
                          const TempDir& folder, const std::string& input = "") {
#if defined(_WIN32)
  // Started directly, without a shell, its output going to files that it
  // inherits. Under Wine a start can fail now and then when the machine is
  // busy; it is tried again a few times.
  for (char& c : program)
    if (c == '/') c = '\\';
  std::wstring commandLine = L"\"" + Native(program).wstring() + L"\"";
  for (const std::string& arg : args) commandLine += L" \"" + Native(arg).wstring() + L"\"";
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  const auto create = [&](const std::string& name) {
    return CreateFileW(Native(folder / name).wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  };
  HANDLE out = create("stdout.txt");
  HANDLE err = create("stderr.txt");
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  HANDLE in = input.empty()
                  ? GetStdHandle(STD_INPUT_HANDLE)
                  : CreateFileW(Native(input).wstring().c_str(), GENERIC_READ, FILE_SHARE_READ,
                                &inherit, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  startup.hStdInput = in;
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; ++attempt) {
    started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                             nullptr, &startup, &process) != 0;
    if (!started) Sleep(200);
  }
  DWORD exitCode = 0;
  if (started) {
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(out);
  CloseHandle(err);
  if (!input.empty()) CloseHandle(in);
  const int status = started ? static_cast<int>(exitCode) : -1;
#else
  const auto quote = [](const std::string& arg) { return "'" + arg + "'"; };
  std::string command = input.empty() ? "" : "cat " + quote(input) + " | ";
  command += quote(program);
  for (const std::string& arg : args) command.append(" ").append(quote(arg));
  command.append(" >").append(quote(folder / "stdout.txt"));
  command.append(" 2>").append(quote(folder / "stderr.txt"));
  const int raw = std::system(command.c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
  return {status, AsText(ReadFile(folder / "stdout.txt")), AsText(ReadFile(folder / "stderr.txt"))};
}

}  // namespace krobelnik::testing
