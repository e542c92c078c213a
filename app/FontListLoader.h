#pragma once

#include <semaphore>
#include <thread>

// Builds the font list on a second thread during start-up. Reading the font
// configuration (some fifty files) and listing the installed fonts are the
// longest steps before the first paint, and neither needs the main thread:
// the configuration is read while the application connects to the display,
// the list built while the accessibility bridge waits on the session bus.
class FontListLoader {
public:
    // Starts reading the font configuration.
    FontListLoader();
    // Waits for the thread; the list is left to the first font asked for
    // when the application never became ready.
    ~FontListLoader();
    FontListLoader(const FontListLoader &) = delete;
    FontListLoader &operator=(const FontListLoader &) = delete;

    // The application object exists: the thread builds the list.
    void applicationReady();
    // Returns once the list is built. Call after applicationReady().
    void wait();

private:
    void release(bool buildList);

    // Written before m_go is released, read after it is acquired.
    bool m_buildList = false;
    bool m_released = false;
    std::binary_semaphore m_go{0};
    std::thread m_thread;
};
