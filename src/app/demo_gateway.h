#pragma once

#include <memory>
#include <string>

namespace tulvo {

class SerialPorts;
class RegistryStore;
class TData;

namespace sim {
class Gateway;
}

// The built-in simulated gateway of --demo: serves the demo population on a
// pseudo-terminal from its own thread for as long as this object lives.
class DemoGateway {
  public:
    static constexpr const char* kPortName = "demo";

    // paced: replies take as long as on the real USB link, so a whole-image
    // transfer lasts a few seconds and its progress can be watched.
    explicit DemoGateway(bool paced = true);
    ~DemoGateway();
    DemoGateway(const DemoGateway&) = delete;
    DemoGateway& operator=(const DemoGateway&) = delete;

    // False (see Error()) when the pseudo-terminal cannot be opened.
    bool Start();
    // Starts the gateway and makes it the only USB port, with "USB" chosen in
    // the store so the connection bar picks it by itself; the demo names join
    // the image so a read shows them. False when the gateway does not start.
    bool Offer(SerialPorts& ports, RegistryStore& store, TData& image);
    std::string DevicePath() const;
    std::string Error() const;

  private:
    std::unique_ptr<sim::Gateway> gateway_;
    bool paced_;
};

}  // namespace tulvo
