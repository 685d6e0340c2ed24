#pragma once

namespace veyrune {

// A flag that also wakes a poll(): raise() from any thread makes fd()
// readable until clear(). Owns an eventfd.
class CancelSignal {
  public:
    CancelSignal();  // throws LineSinkError when no eventfd can be made
    ~CancelSignal();
    CancelSignal(const CancelSignal&) = delete;
    CancelSignal& operator=(const CancelSignal&) = delete;

    void raise();
    void clear();
    bool raised() const;
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

}  // namespace veyrune
