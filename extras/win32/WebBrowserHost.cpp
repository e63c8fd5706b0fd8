#include "extras/win32/WebBrowserHost.h"

#include <exdispid.h>

#include <utility>

#include "platform/win32/Bstr.h"

namespace dx::win32 {
namespace {

// The HTML document class; the browser control shows nothing without it.
const CLSID kHtmlDocument = {0x25336920, 0x03F9, 0x11CF, {0x8F, 0xD0, 0x00, 0xAA, 0x00, 0x68, 0x6F, 0x13}};

// The event's arguments come last first.
VARIANT* Argument(DISPPARAMS* parameters, UINT index) {
  if (!parameters || index >= parameters->cArgs) return nullptr;
  return &parameters->rgvarg[parameters->cArgs - 1 - index];
}

// The text of an argument passed as a string or as a variant holding one.
std::wstring TextOf(const VARIANT* argument) {
  if (argument && V_VT(argument) == (VT_BYREF | VT_VARIANT)) argument = V_VARIANTREF(argument);
  if (!argument || V_VT(argument) != VT_BSTR || !V_BSTR(argument)) return {};
  return std::wstring(V_BSTR(argument), ::SysStringLen(V_BSTR(argument)));
}

void SetCancel(VARIANT* argument) {
  if (argument && V_VT(argument) == (VT_BYREF | VT_BOOL) && V_BOOLREF(argument)) *V_BOOLREF(argument) = VARIANT_TRUE;
}

}  // namespace

WebBrowserHost::WebBrowserHost(Handlers handlers) : handlers_(std::move(handlers)) {}

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
  if (FAILED(object_->SetClientSite(this))) {
    Destroy();
    return false;
  }
  // The control reads the ambient properties when its site is set; told again, in case
  // it has already made its document.
  if (auto control = object_.As<IOleControl>()) control->OnAmbientPropertyChange(DISPID_AMBIENT_DLCONTROL);
  if (FAILED(object_->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, parent, &area)) ||
      !(browser_ = object_.As<IWebBrowser2>())) {
    Destroy();
    return false;
  }
  // Without the events no navigation could be checked: no control then.
  const auto sources = browser_.As<IConnectionPointContainer>();
  if (!sources || FAILED(sources->FindConnectionPoint(DIID_DWebBrowserEvents2, eventSource_.put())) ||
      FAILED(eventSource_->Advise(&events_, &eventCookie_))) {
    eventSource_.reset();
    Destroy();
    return false;
  }
  browser_->put_RegisterAsBrowser(VARIANT_FALSE);
  browser_->put_Silent(VARIANT_TRUE);
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
  if (eventSource_) {
    eventSource_->Unadvise(eventCookie_);
    eventSource_.reset();
  }
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
  } else if (IsEqualIID(iid, IID_IDispatch)) {
    *object = static_cast<IDispatch*>(this);
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

STDMETHODIMP WebBrowserHost::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP WebBrowserHost::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP WebBrowserHost::Invoke(DISPID member, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                    EXCEPINFO*, UINT*) {
  if (member != DISPID_AMBIENT_DLCONTROL || !(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  ::VariantInit(result);
  V_VT(result) = VT_I4;
  V_I4(result) = kDownloadControl;
  return S_OK;
}

bool WebBrowserHost::IsTopLevel(const VARIANT& browser) const {
  if (V_VT(&browser) != VT_DISPATCH || !V_DISPATCH(&browser) || !browser_) return false;
  ComPtr<IUnknown> frame, own;
  return SUCCEEDED(V_DISPATCH(&browser)->QueryInterface(IID_PPV_ARGS(frame.put()))) &&
         SUCCEEDED(browser_->QueryInterface(IID_PPV_ARGS(own.put()))) && frame.get() == own.get();
}

STDMETHODIMP WebBrowserHost::Events::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch) && !IsEqualIID(iid, DIID_DWebBrowserEvents2)) {
    return E_NOINTERFACE;
  }
  *object = static_cast<IDispatch*>(this);
  return S_OK;
}

STDMETHODIMP WebBrowserHost::Events::Invoke(DISPID member, REFIID, LCID, WORD, DISPPARAMS* parameters, VARIANT*,
                                            EXCEPINFO*, UINT*) {
  const Handlers& handlers = host_.handlers_;
  switch (member) {
    case DISPID_BEFORENAVIGATE2: {  // (browser, URL, flags, frame name, post data, headers, cancel)
      const VARIANT* browser = Argument(parameters, 0);
      const bool top = browser && host_.IsTopLevel(*browser);
      // Unchecked is refused: nothing goes on without an owner that said yes.
      if (!handlers.navigate || !handlers.navigate(TextOf(Argument(parameters, 1)), top)) {
        SetCancel(Argument(parameters, 6));
      }
      return S_OK;
    }
    case DISPID_NEWWINDOW2:  // (browser out, cancel)
      SetCancel(Argument(parameters, 1));
      return S_OK;
    case DISPID_NEWWINDOW3:  // (browser out, cancel, flags, referring URL, URL)
      SetCancel(Argument(parameters, 1));
      if (handlers.newWindow) handlers.newWindow(TextOf(Argument(parameters, 4)));
      return S_OK;
    case DISPID_FILEDOWNLOAD: {  // (page shown in the control, cancel)
      const VARIANT* document = Argument(parameters, 0);
      const bool shown = document && V_VT(document) == VT_BOOL && V_BOOL(document) != VARIANT_FALSE;
      if (!shown) SetCancel(Argument(parameters, 1));
      return S_OK;
    }
    case DISPID_NAVIGATEERROR: {  // (browser, URL, frame name, status, cancel)
      const VARIANT* browser = Argument(parameters, 0);
      if (browser && host_.IsTopLevel(*browser) && handlers.failed && handlers.failed(TextOf(Argument(parameters, 1)))) {
        SetCancel(Argument(parameters, 4));
      }
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace dx::win32
