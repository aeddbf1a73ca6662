// figure_resources.cpp: the figure picture and the icon, from the program's resources.
#include "figure_window/figure_resources.h"

#include "platform/contract/resources.h"

platform::Image FigureImage() { return platform::LoadResPicture(platform::Resource::FigureBitmap); }

std::span<const std::uint8_t> FigureIcon() { return platform::ResourceFile(platform::Resource::FigureIcon); }
