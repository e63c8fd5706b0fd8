#include "extras/win32/WebBrowserHost.h"

#include <vector>

namespace dx::win32 {
namespace {

// The HTML document class; the browser control shows nothing without it.
const CLSID kHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

class ScopedBstr {
 public:
  explicit ScopedBstr(const std::string& text) {
    const int length = ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1, L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), wide.data(), length);
    text_ = ::SysAllocStringLen(wide.data(), static_cast<UINT>(length));
  }
  ~ScopedBstr() { ::SysFreeString(text_); }
  ScopedBstr(const ScopedBstr&) = delete;
  ScopedBstr& operator=(const ScopedBstr&) = delete;
  BSTR get() const { return text_; }

 private:
  BSTR text_ = nullptr;
};

}  // namespace

WebBrowserHost::~WebBrowserHost() { Destroy(); }

bool WebBrowserHost::Create(HWND parent) {
  parent_ = parent;
  ComPtr<IUnknown> document;
  if (FAILED(::CoCreateInstance(kHtmlDocument, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(document.put())))) {
    return false;
  }
  document.reset();
  if (FAILED(::CoCreateInstance(CLSID_WebBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(object_.put())))) {
    return false;
  }
  RECT area{};
  ::GetClientRect(parent, &area);
  if (FAILED(object_->SetClientSite(this)) ||
      FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent, &area)) ||
      !(browser_ = object_.As<IWebBrowser2>())) {
    Destroy();
    return false;
  }
  browser_->put_Left(0);
  browser_->put_Top(0);
  browser_->put_Width(area.right);
  browser_->put_Height(area.bottom);
  return true;
}

HRESULT WebBrowserHost::Navigate(const std::string& target) {
  if (!browser_) return E_UNEXPECTED;
  ScopedBstr url(target);
  return browser_->Navigate(url.get(), nullptr, nullptr, nullptr, nullptr);
}

void WebBrowserHost::Destroy() {
  browser_.reset();
  if (object_) {
    object_->Close(OLECLOSE_NOSAVE);
    object_->SetClientSite(nullptr);
    object_.reset();
  }
}

STDMETHODIMP WebBrowserHost::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite)) {
    *object = static_cast<IOleClientSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite)) {
    *object = static_cast<IOleInPlaceSite*>(this);
  } else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame)) {
    *object = static_cast<IOleInPlaceFrame*>(this);
  } else {
    return E_NOINTERFACE;
  }
  return S_OK;
}

STDMETHODIMP WebBrowserHost::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP WebBrowserHost::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP WebBrowserHost::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = parent_;
  return S_OK;
}

STDMETHODIMP WebBrowserHost::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                              LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) {
  if (frame) *frame = static_cast<IOleInPlaceFrame*>(this);
  if (document) *document = nullptr;
  if (position) ::GetClientRect(parent_, position);
  if (clip) ::GetClientRect(parent_, clip);
  if (frameInfo) {
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = parent_;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
  }
  return S_OK;
}

}  // namespace dx::win32
