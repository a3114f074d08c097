#pragma once

// The Qt application object a test program needs (QProcess, widgets),
// made once for the whole run as a GoogleTest environment:
//
//   [[maybe_unused]] ::testing::Environment* const kApplication =
//       ::testing::AddGlobalTestEnvironment(new TTestApplication<QApplication>("ui_window"));

#include <gtest/gtest.h>

#include <memory>

template <class Application>
class TTestApplication : public ::testing::Environment {
public:
    // `name` becomes argv[0]; it must outlive the run (a string literal).
    explicit TTestApplication(char* name) : FArgv{name, nullptr} {}

    void SetUp() override { FApplication = std::make_unique<Application>(FArgc, FArgv); }
    void TearDown() override { FApplication.reset(); }

private:
    int FArgc = 1;
    char* FArgv[2];
    std::unique_ptr<Application> FApplication;
};
