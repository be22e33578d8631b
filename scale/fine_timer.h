#pragma once

namespace weighlet {

// Raises the system timer to 1 ms resolution for the lifetime of the object.
class FineTimer {
public:
    FineTimer();
    ~FineTimer();
    FineTimer(const FineTimer&) = delete;
    FineTimer& operator=(const FineTimer&) = delete;

private:
    bool raised_ = false;
};

} // namespace weighlet
