#pragma once

// Delivery of a window's notifications to its receivers: synchronously, or queued from any
// thread and delivered on the window's thread when the window's queue reaches the posted
// wake-up message.

#include <windows.h>

#include <deque>
#include <mutex>
#include <vector>

#include "uifw/Notification.h"

namespace uifw {

// Window message that tells a window to deliver its queued notifications.
constexpr UINT kDeliverNotificationsMessage = WM_APP + 0x3A1;

class Notifier {
 public:
  void AddReceiver(NotifyReceiver* receiver);
  void RemoveReceiver(NotifyReceiver* receiver);
  void SetWindow(HWND hwnd);

  // Delivers |n| now to every receiver (window thread only).
  void Send(Notification& n);
  // Queues |n| and wakes the window; any thread. Dropped when there is no window.
  void Post(const Notification& n);
  // Delivers everything queued (window thread, on kDeliverNotificationsMessage).
  void DeliverQueued();
  // Forgets queued notifications from |sender|.
  void Forget(Control* sender);

 private:
  std::vector<NotifyReceiver*> receivers_;
  std::mutex lock_;  // guards hwnd_ and queue_
  HWND hwnd_ = nullptr;
  std::deque<Notification> queue_;
};

}  // namespace uifw
