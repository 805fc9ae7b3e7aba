#pragma once
#include <QString>
#include <functional>

namespace st::app {

// Failures are told in a modal box with one text and an OK button. Tests
// replace the box with a hook that records the text.
void ShowMessage(const QString& text);
using MessageHook = std::function<void(const QString&)>;
// Returns the previous hook; an empty hook restores the message box.
MessageHook SetMessageHook(MessageHook hook);

// The framework's show-at-start flag and the request to end the program.
// A request made before the event loop runs ends the start-up instead.
struct AppFlags {
    bool showMainForm = true;
    bool terminated = false;
    bool loopRunning = false;  // set by the program around its event loop
};
AppFlags& Flags();
void RequestTermination();

// Shows the hourglass while alive and restores the cursor on every exit path.
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
    // Restores early (before a message box); the destructor then does nothing.
    void restore();

  private:
    bool active_ = true;
};

}  // namespace st::app
