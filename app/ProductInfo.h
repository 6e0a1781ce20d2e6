#pragma once
// The product's addresses, in one place: the About box links to both and the
// Help menu's "Home page" opens the first.

namespace quelvo {

inline constexpr const char* kHomePageAddress = "https://quelvo.example.org/";
inline constexpr const char* kSupportAddress = "https://quelvo.example.org/support/";

}  // namespace quelvo
