// Hand-made Core Audio objects for the mute tests: a device enumerator with a
// default output device and another one, session managers that report new
// sessions the way Core Audio does (on a thread of their own), and sessions
// whose process id, interfaces and mute state a test chooses. Each object
// counts its references (ComObject::references), so a test sees whether the
// code under test gave back every one it took.

#ifndef ZLM_TESTS_WIN_FAKE_CORE_AUDIO_H_
#define ZLM_TESTS_WIN_FAKE_CORE_AUDIO_H_

#include <audiopolicy.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "bridge/com_object.h"

namespace fake {

using Microsoft::WRL::ComPtr;

// A new object for the test, which holds the first reference.
template <typename T, typename... Args>
ComPtr<T> Make(Args&&... args) {
  return ComPtr<T>(new T(std::forward<Args>(args)...));
}

struct SessionTraits {
  DWORD processId = 0;
  bool reportsProcessId = true;  // GetProcessId fails when false
  bool hasControl2 = true;       // IAudioSessionControl2
  bool hasVolume = true;         // ISimpleAudioVolume
  // When set, SetMute hangs until this event is signalled, as a call into an
  // audio service that stopped answering.
  HANDLE muteGate = nullptr;
};

class Session final : public ComObject<IAudioSessionControl2, ISimpleAudioVolume> {
 public:
  explicit Session(const SessionTraits& traits) : traits_(traits) {}

  bool muted() const { return muted_; }
  int muteCalls() const { return muteCalls_; }

  // IAudioSessionControl methods:
  HRESULT STDMETHODCALLTYPE GetState(AudioSessionState*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetDisplayName(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDisplayName(LPCWSTR, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIconPath(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetIconPath(LPCWSTR, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetGroupingParam(GUID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetGroupingParam(LPCGUID, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterAudioSessionNotification(IAudioSessionEvents*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnregisterAudioSessionNotification(IAudioSessionEvents*) override {
    return E_NOTIMPL;
  }

  // IAudioSessionControl2 methods:
  HRESULT STDMETHODCALLTYPE GetSessionIdentifier(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSessionInstanceIdentifier(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetProcessId(DWORD* processId) override {
    if (!traits_.reportsProcessId)
      return AUDCLNT_E_DEVICE_INVALIDATED;
    *processId = traits_.processId;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IsSystemSoundsSession() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetDuckingPreference(BOOL) override { return E_NOTIMPL; }

  // ISimpleAudioVolume methods:
  HRESULT STDMETHODCALLTYPE SetMasterVolume(float, LPCGUID) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMasterVolume(float*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetMute(BOOL mute, LPCGUID) override {
    ++muteCalls_;
    if (traits_.muteGate)
      WaitForSingleObject(traits_.muteGate, INFINITE);
    muted_ = mute != FALSE;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetMute(BOOL* mute) override {
    *mute = muted_ ? TRUE : FALSE;
    return S_OK;
  }

 private:
  void* Find(REFIID iid) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IAudioSessionControl))
      return static_cast<IAudioSessionControl*>(this);
    if (iid == __uuidof(IAudioSessionControl2) && traits_.hasControl2)
      return static_cast<IAudioSessionControl2*>(this);
    if (iid == __uuidof(ISimpleAudioVolume) && traits_.hasVolume)
      return static_cast<ISimpleAudioVolume*>(this);
    return nullptr;
  }

  const SessionTraits traits_;
  std::atomic<bool> muted_{false};
  std::atomic<int> muteCalls_{0};
};

// A list as Core Audio hands it out: the sessions at the time it was made. A
// null entry is a session that GetSession reports without an interface.
class SessionList final : public ComObject<IAudioSessionEnumerator> {
 public:
  explicit SessionList(std::vector<ComPtr<Session>> sessions) : sessions_(std::move(sessions)) {}

  // IAudioSessionEnumerator methods:
  HRESULT STDMETHODCALLTYPE GetCount(int* count) override {
    *count = static_cast<int>(sessions_.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSession(int index, IAudioSessionControl** session) override {
    if (index < 0 || index >= static_cast<int>(sessions_.size()))
      return E_INVALIDARG;
    *session = sessions_[index].Get();
    if (*session)
      (*session)->AddRef();
    return S_OK;
  }

 private:
  const std::vector<ComPtr<Session>> sessions_;
};

struct ManagerTraits {
  bool listsSessions = true;       // GetSessionEnumerator fails when false (as in Wine 8)
  bool reportsNewSessions = true;  // RegisterSessionNotification fails when false (as in Wine 8)
  // When set, RegisterSessionNotification hangs until this event is
  // signalled, as a call into an audio service that does not answer.
  HANDLE registerGate = nullptr;
};

class SessionManager final : public ComObject<IAudioSessionManager2> {
 public:
  explicit SessionManager(const ManagerTraits& traits = {}) : traits_(traits) {}

  // Adds a session and tells every registered notification about it from
  // another thread, as Core Audio's session manager thread does.
  ComPtr<Session> OpenSession(const SessionTraits& traits) {
    ComPtr<Session> session = Make<Session>(traits);
    std::vector<ComPtr<IAudioSessionNotification>> notifications;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      sessions_.push_back(session);
      notifications = notifications_;
    }
    std::thread([&] {
      for (const ComPtr<IAudioSessionNotification>& notification : notifications)
        notification->OnSessionCreated(session.Get());
    }).join();
    return session;
  }

  size_t registrations() {
    std::lock_guard<std::mutex> lock(mutex_);
    return notifications_.size();
  }
  // The notification registered last, kept even after it is unregistered.
  ComPtr<IAudioSessionNotification> lastRegistered() {
    std::lock_guard<std::mutex> lock(mutex_);
    return lastRegistered_;
  }

  // IAudioSessionManager methods:
  HRESULT STDMETHODCALLTYPE GetAudioSessionControl(LPCGUID, DWORD, IAudioSessionControl**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetSimpleAudioVolume(LPCGUID, DWORD, ISimpleAudioVolume**) override {
    return E_NOTIMPL;
  }

  // IAudioSessionManager2 methods:
  HRESULT STDMETHODCALLTYPE GetSessionEnumerator(IAudioSessionEnumerator** list) override {
    if (!traits_.listsSessions)
      return E_NOTIMPL;
    std::lock_guard<std::mutex> lock(mutex_);
    *list = new SessionList(sessions_);
    (*list)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterSessionNotification(IAudioSessionNotification* notification) override {
    if (traits_.registerGate)
      WaitForSingleObject(traits_.registerGate, INFINITE);
    if (!traits_.reportsNewSessions)
      return E_NOTIMPL;
    if (!notification)
      return E_POINTER;
    std::lock_guard<std::mutex> lock(mutex_);
    notifications_.emplace_back(notification);
    lastRegistered_ = notification;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE UnregisterSessionNotification(IAudioSessionNotification* notification) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = std::find_if(
        notifications_.begin(), notifications_.end(),
        [&](const ComPtr<IAudioSessionNotification>& registered) { return registered.Get() == notification; });
    if (found == notifications_.end())
      return E_INVALIDARG;
    notifications_.erase(found);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE RegisterDuckNotification(LPCWSTR, IAudioVolumeDuckNotification*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnregisterDuckNotification(IAudioVolumeDuckNotification*) override {
    return E_NOTIMPL;
  }

 private:
  const ManagerTraits traits_;
  std::mutex mutex_;
  std::vector<ComPtr<Session>> sessions_;
  std::vector<ComPtr<IAudioSessionNotification>> notifications_;
  ComPtr<IAudioSessionNotification> lastRegistered_;
};

class Device final : public ComObject<IMMDevice> {
 public:
  explicit Device(ComPtr<SessionManager> sessions) : sessions_(std::move(sessions)) {}

  // IMMDevice methods:
  HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD, PROPVARIANT*, void** object) override {
    if (iid != __uuidof(IAudioSessionManager2))
      return E_NOINTERFACE;
    return sessions_->QueryInterface(iid, object);
  }
  HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetId(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetState(DWORD*) override { return E_NOTIMPL; }

 private:
  const ComPtr<SessionManager> sessions_;
};

// |consoleOutput| is the default output device for the console role; every
// other flow and role gets |other|. Without devices there is no default.
class DeviceEnumerator final : public ComObject<IMMDeviceEnumerator> {
 public:
  DeviceEnumerator(ComPtr<Device> consoleOutput, ComPtr<Device> other)
      : consoleOutput_(std::move(consoleOutput)), other_(std::move(other)) {}

  // IMMDeviceEnumerator methods:
  HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole role, IMMDevice** device) override {
    const ComPtr<Device>& chosen = (flow == eRender && role == eConsole) ? consoleOutput_ : other_;
    if (!chosen)
      return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    return chosen->QueryInterface(IID_PPV_ARGS(device));
  }
  HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
    return E_NOTIMPL;
  }

 private:
  const ComPtr<Device> consoleOutput_;
  const ComPtr<Device> other_;
};

}  // namespace fake

#endif  // ZLM_TESTS_WIN_FAKE_CORE_AUDIO_H_
