#pragma once

#include <memory>
#include <string>

namespace tulvo {

namespace sim {
class Gateway;
}

// The built-in simulated gateway of --demo: serves the demo population on a
// pseudo-terminal from its own thread for as long as this object lives.
class DemoGateway {
  public:
    static constexpr const char* kPortName = "demo";

    DemoGateway();
    ~DemoGateway();
    DemoGateway(const DemoGateway&) = delete;
    DemoGateway& operator=(const DemoGateway&) = delete;

    // False (see Error()) when the pseudo-terminal cannot be opened.
    bool Start();
    std::string DevicePath() const;
    std::string Error() const;

  private:
    std::unique_ptr<sim::Gateway> gateway_;
};

}  // namespace tulvo
