// The browser control's site, asked as the control asks it: through the client site it
// was given, for the download-control ambient property.
#include <windows.h>

#include <gtest/gtest.h>

#include "extras/win32/WebBrowserHost.h"

namespace dx {
namespace {

TEST(WebBrowserHost, TheSiteTellsTheControlToRunNoScriptsJavaOrActiveXAndToLoadNoFrames) {
  win32::WebBrowserHost host;
  IOleClientSite* site = &host;
  IDispatch* ambient = nullptr;
  ASSERT_EQ(site->QueryInterface(IID_PPV_ARGS(&ambient)), S_OK);
  ASSERT_NE(ambient, nullptr);

  DISPPARAMS none{};
  VARIANT value;
  ::VariantInit(&value);
  ASSERT_EQ(ambient->Invoke(DISPID_AMBIENT_DLCONTROL, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                            &value, nullptr, nullptr),
            S_OK);
  ASSERT_EQ(V_VT(&value), VT_I4);
  for (const LONG flag : {DLCTL_NO_SCRIPTS, DLCTL_NO_JAVA, DLCTL_NO_RUNACTIVEXCTLS, DLCTL_NO_DLACTIVEXCTLS,
                          DLCTL_NO_FRAMEDOWNLOAD, DLCTL_NO_BEHAVIORS, DLCTL_NO_CLIENTPULL, DLCTL_DLIMAGES}) {
    EXPECT_EQ(V_I4(&value) & flag, flag) << std::hex << flag;
  }
  // Nothing that would let the page fetch more than it shows.
  EXPECT_EQ(V_I4(&value) & (DLCTL_VIDEOS | DLCTL_BGSOUNDS | DLCTL_DOWNLOADONLY), 0);
  // Other ambient properties keep the control's defaults.
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERAGENT, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                            &value, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  ambient->Release();
}

}  // namespace
}  // namespace dx
