#include "uifw/Notifier.h"

#include <algorithm>

namespace uifw {

void Notifier::AddReceiver(NotifyReceiver* receiver) {
  if (receiver && std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end()) {
    receivers_.push_back(receiver);
  }
}

void Notifier::RemoveReceiver(NotifyReceiver* receiver) {
  receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver), receivers_.end());
}

void Notifier::SetWindow(HWND hwnd) {
  std::lock_guard<std::mutex> guard(lock_);
  hwnd_ = hwnd;
  if (!hwnd) queue_.clear();
}

void Notifier::Send(Notification& n) {
  // A receiver may remove itself while handling; iterate over a copy.
  std::vector<NotifyReceiver*> receivers = receivers_;
  for (NotifyReceiver* r : receivers) r->Notify(n);
}

void Notifier::Post(const Notification& n) {
  std::lock_guard<std::mutex> guard(lock_);
  if (!hwnd_) return;
  queue_.push_back(n);
  ::PostMessageW(hwnd_, kDeliverNotificationsMessage, 0, 0);
}

void Notifier::DeliverQueued() {
  for (;;) {
    Notification n;
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (queue_.empty()) return;
      n = std::move(queue_.front());
      queue_.pop_front();
    }
    Send(n);
  }
}

void Notifier::Forget(Control* sender) {
  std::lock_guard<std::mutex> guard(lock_);
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(), [&](const Notification& n) { return n.sender == sender; }),
               queue_.end());
}

}  // namespace uifw
