#pragma once

// The maker's web page, opened from the about box and drawn in its picture.
inline constexpr char makerPageAddress[] = "https://github.com/lanmo-studio/jiazhuang";
