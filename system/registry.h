// The program-wide chain of the objects of one kind that register themselves
// (audio drivers, sample loaders, stream factories): each links itself in
// front of the chain when it is constructed, so the newest is found first,
// and unlinks itself when it is destroyed. A class joins by deriving from
// TRegistered<itself>. Main thread only, like every registration.
#pragma once

template <typename T>
class TRegistered {
 public:
  TRegistered(const TRegistered&) = delete;
  TRegistered& operator=(const TRegistered&) = delete;

  // The newest registered object, or none.
  static T* First() { return static_cast<T*>(head_); }
  // The one registered before this one, or none.
  T* Next() const { return static_cast<T*>(_succ); }

 protected:
  TRegistered() { Link(); }
  // Runs before_linking first, so whatever it registers is found after this one.
  explicit TRegistered(void (*before_linking)()) {
    before_linking();
    Link();
  }
  ~TRegistered() {
    for (TRegistered** at = &head_; *at; at = &(*at)->_succ) {
      if (*at == this) {
        *at = _succ;
        break;
      }
    }
  }

 private:
  void Link() {
    _succ = head_;
    head_ = this;
  }

  TRegistered* _succ = nullptr;
  // Constant-initialised, so objects registered during static initialisation
  // in any file find the chain ready.
  static inline constinit TRegistered* head_ = nullptr;
};
