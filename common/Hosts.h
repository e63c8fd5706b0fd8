#pragma once
// The web hosts the program names, written without a scheme; the shell opens them as
// web addresses, and the online services put "http://" in front themselves.
namespace dx {

// The maker's host: its home page, the report's title and closing notice.
inline constexpr const char* kMakerHomePage = "www.dextrel.org";

// The update information file on the maker's host.
inline constexpr const char* kUpdateInfoPath = "/benchmarks/fennick/orvalle.inf";

// A Quake 4 tweak guide of another publisher: its host and the guide's first page.
inline constexpr const char* kTweakGuidePage = "www.tweakguides.com/Quake4_1.html";

}  // namespace dx
