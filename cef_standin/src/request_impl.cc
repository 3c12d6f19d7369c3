#include "request_impl.h"

#include <atomic>
#include <mutex>

namespace standin {

namespace {

// Any thread, like the real request: every member sits behind one lock, and a
// read-only request ignores every change.
class RequestImpl : public CefRequest {
 public:
  explicit RequestImpl(uint64 id) : id_(id) {}

  void MakeReadOnly() {
    std::lock_guard<std::mutex> guard(lock_);
    read_only_ = true;
  }
  void SetNavigation(const std::string& url, bool main_frame,
                     cef_transition_type_t transition) {
    std::lock_guard<std::mutex> guard(lock_);
    url_ = url;
    first_party_ = main_frame ? url : std::string();
    resource_type_ = main_frame ? RT_MAIN_FRAME : RT_SUB_FRAME;
    transition_ = transition;
  }

  bool IsReadOnly() override {
    std::lock_guard<std::mutex> guard(lock_);
    return read_only_;
  }
  CefString GetURL() override { return Get(url_); }
  void SetURL(const CefString& url) override { Change([&] { url_ = url; }); }
  CefString GetMethod() override { return Get(method_); }
  void SetMethod(const CefString& method) override {
    Change([&] { method_ = method; });
  }
  void SetReferrer(const CefString& referrer_url, ReferrerPolicy policy) override {
    Change([&] {
      referrer_ = referrer_url;
      referrer_policy_ = policy;
    });
  }
  CefString GetReferrerURL() override { return Get(referrer_); }
  ReferrerPolicy GetReferrerPolicy() override {
    std::lock_guard<std::mutex> guard(lock_);
    return referrer_policy_;
  }
  CefRefPtr<CefPostData> GetPostData() override { return NULL; }
  void SetPostData(CefRefPtr<CefPostData>) override {}
  void GetHeaderMap(HeaderMap& headerMap) override {
    std::lock_guard<std::mutex> guard(lock_);
    headerMap = headers_;
  }
  void SetHeaderMap(const HeaderMap& headerMap) override {
    Change([&] { headers_ = headerMap; });
  }
  void Set(const CefString& url, const CefString& method, CefRefPtr<CefPostData>,
           const HeaderMap& headerMap) override {
    Change([&] {
      url_ = url;
      method_ = method;
      headers_ = headerMap;
    });
  }
  int GetFlags() override {
    std::lock_guard<std::mutex> guard(lock_);
    return flags_;
  }
  void SetFlags(int flags) override { Change([&] { flags_ = flags; }); }
  CefString GetFirstPartyForCookies() override { return Get(first_party_); }
  void SetFirstPartyForCookies(const CefString& url) override {
    Change([&] { first_party_ = url; });
  }
  ResourceType GetResourceType() override {
    std::lock_guard<std::mutex> guard(lock_);
    return resource_type_;
  }
  TransitionType GetTransitionType() override {
    std::lock_guard<std::mutex> guard(lock_);
    return transition_;
  }
  uint64 GetIdentifier() override { return id_; }

 private:
  CefString Get(const CefString& field) {
    std::lock_guard<std::mutex> guard(lock_);
    return field;
  }
  template <typename Fn>
  void Change(Fn change) {
    std::lock_guard<std::mutex> guard(lock_);
    if (!read_only_)
      change();
  }

  const uint64 id_;
  std::mutex lock_;
  bool read_only_ = false;
  CefString url_;
  CefString method_ = "GET";
  CefString referrer_;
  ReferrerPolicy referrer_policy_ = REFERRER_POLICY_DEFAULT;
  HeaderMap headers_;
  int flags_ = 0;
  CefString first_party_;
  ResourceType resource_type_ = RT_SUB_RESOURCE;
  TransitionType transition_ = TT_EXPLICIT;

  IMPLEMENT_REFCOUNTING(RequestImpl);
};

std::atomic<uint64> next_request_id{1};

}  // namespace

CefRefPtr<CefRequest> NavigationRequest(const std::string& url, bool main_frame,
                                        cef_transition_type_t transition) {
  CefRefPtr<RequestImpl> request = new RequestImpl(next_request_id++);
  request->SetNavigation(url, main_frame, transition);
  request->MakeReadOnly();
  return request.get();
}

}  // namespace standin

CefRefPtr<CefRequest> CefRequest::Create() {
  // Created requests have no identifier until the engine sends them; 0 here.
  return new standin::RequestImpl(0);
}

CefRefPtr<CefPostData> CefPostData::Create() {
  return NULL;
}

CefRefPtr<CefPostDataElement> CefPostDataElement::Create() {
  return NULL;
}
