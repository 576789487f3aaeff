#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "actions/serial_ports.h"
#include "model/t_data.h"
#include "store/registry_store.h"
#include "support/recording_operator.h"
#include "ui/app_context.h"
#include "ui/main/form1.h"

namespace tulvo::test {

// A main window over a fresh image, a store in a temporary folder, a port
// discovery that sees no machine ports, and a recording operator.
class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    TForm1& Form();
    // Destroys the window (it stores its options) and creates a new one over
    // the same store file, as a second run of the program would.
    TForm1& Restart();

    template <typename T>
    T* Find(const char* name) {
        T* widget = Form().findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Makes slot n a used subscriber with the given id, name and phone.
    void PutSubscriber(int n, std::uint32_t id, const std::string& name = "Ivanov",
                       const std::string& phone = "80501234567");
    // Moves the grid to row n the way a click on its name cell does.
    void ClickRow(int n);
    std::string RegistryText() const;

    std::filesystem::path dir_;
    TData image_;
    RecordingOperator op_;
    std::unique_ptr<RegistryStore> store_;
    std::unique_ptr<SerialPorts> ports_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<TForm1> form_;
};

}  // namespace tulvo::test
