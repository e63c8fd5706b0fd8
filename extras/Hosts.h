#pragma once
// The web hosts the program names, written without a scheme; the shell opens them as
// web addresses, and the online services put "http://" in front themselves.
namespace dx {

// The maker's host: its home page, the report's title and closing notice.
inline constexpr const char* kMakerHomePage = "www.dextrel.org";

}  // namespace dx
