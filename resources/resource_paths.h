#pragma once

// Where the generated pictures live among the program's compiled-in resources.
namespace veltrane::resources {

inline constexpr char iconPath[] = ":/veltrane/veltrane.ico";
inline constexpr char aboutPicturePath[] = ":/veltrane/about.gif";

} // namespace veltrane::resources
