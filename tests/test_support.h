#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>

#include "run/assertion.h"

namespace krobelnik::testing {

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

  std::string operator/(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace krobelnik::testing
