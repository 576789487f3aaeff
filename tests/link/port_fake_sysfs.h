#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tulvo::test {

// A throw-away sysfs tree laid out like the kernel's: class/tty/<name> links
// into devices/, each tty's `device` links to its parent device, and USB
// devices carry idVendor/idProduct.
class FakeSysfs {
  public:
    FakeSysfs() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tulvo-sysfs-XXXXXX").string();
        root_ = mkdtemp(pattern.data());
        std::filesystem::create_directories(root_ / "class" / "tty");
    }
    ~FakeSysfs() {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
    FakeSysfs(const FakeSysfs&) = delete;
    FakeSysfs& operator=(const FakeSysfs&) = delete;

    const std::filesystem::path& Root() const { return root_; }

    // A CDC-ACM tty (ttyACMn) on a USB device with the given identity.
    void AddUsbAcm(const std::string& name, const std::string& vendor, const std::string& product) {
        const auto usbDevice = root_ / "devices" / "pci0000:00" / "usb1" / ("1-" + name);
        const auto interface = usbDevice / ("1-" + name + ":1.0");
        WriteFile(usbDevice / "idVendor", vendor + "\n");
        WriteFile(usbDevice / "idProduct", product + "\n");
        AddTty(name, interface / "tty" / name, interface);
    }

    // A USB-serial tty (ttyUSBn): one more device level between tty and USB.
    void AddUsbSerial(const std::string& name, const std::string& vendor,
                      const std::string& product) {
        const auto usbDevice = root_ / "devices" / "pci0000:00" / "usb2" / ("2-" + name);
        const auto port = usbDevice / ("2-" + name + ":1.0") / name;
        WriteFile(usbDevice / "idVendor", vendor + "\n");
        WriteFile(usbDevice / "idProduct", product + "\n");
        AddTty(name, port / "tty" / name, port);
    }

    // The strings a USB device reports, on the device that carries tty `name`.
    void SetUsbStrings(const std::string& name, const std::string& manufacturer,
                       const std::string& product, const std::string& serial) {
        auto dir = std::filesystem::canonical(root_ / "class" / "tty" / name / "device");
        while (!std::filesystem::exists(dir / "idVendor")) {
            dir = dir.parent_path();
        }
        WriteFile(dir / "manufacturer", manufacturer + "\n");
        WriteFile(dir / "product", product + "\n");
        WriteFile(dir / "serial", serial + "\n");
    }

    // A legacy 8250 line; type 0 means no UART was found there.
    void AddLegacyUart(const std::string& name, int type) {
        const auto platform = root_ / "devices" / "platform" / "serial8250";
        const auto driver = root_ / "bus" / "platform" / "drivers" / "serial8250";
        std::filesystem::create_directories(driver);
        if (!std::filesystem::exists(platform / "driver")) {
            std::filesystem::create_directories(platform);
            std::filesystem::create_directory_symlink(driver, platform / "driver");
        }
        const auto ttyDir = platform / "tty" / name;
        AddTty(name, ttyDir, platform);
        WriteFile(ttyDir / "type", std::to_string(type) + "\n");
    }

    // A tty without a device (virtual console or pseudo-terminal).
    void AddVirtualTty(const std::string& name) {
        const auto ttyDir = root_ / "devices" / "virtual" / "tty" / name;
        std::filesystem::create_directories(ttyDir);
        std::filesystem::create_directory_symlink(ttyDir, root_ / "class" / "tty" / name);
    }

    void Remove(const std::string& name) {
        std::filesystem::remove(root_ / "class" / "tty" / name);
    }

  private:
    void AddTty(const std::string& name, const std::filesystem::path& ttyDir,
                const std::filesystem::path& device) {
        std::filesystem::create_directories(ttyDir);
        std::filesystem::create_directory_symlink(device, ttyDir / "device");
        std::filesystem::create_directory_symlink(ttyDir, root_ / "class" / "tty" / name);
    }

    static void WriteFile(const std::filesystem::path& file, const std::string& text) {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

    std::filesystem::path root_;
};

}  // namespace tulvo::test
