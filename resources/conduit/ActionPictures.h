// ActionPictures.h: bitmaps 103 to 106, the 48 x 24 pictures beside the conduit's four HotSync
// action buttons, drawn in the 16 colours of a VGA palette on a light grey (0xC0C0C0) ground that
// the dialog replaces by its button colour:
//   103  handheld and desktop computer, arrows both ways
//   104  an arrow from the computer to the greyed handheld
//   105  an arrow from the handheld to the greyed computer
//   106  both greyed, a pause sign between them
#pragma once

#include <cstdint>
#include <vector>

namespace conduit {

inline constexpr int kActionPictureWidth = 48;
inline constexpr int kActionPictureHeight = 24;
inline constexpr std::uint32_t kPictureGround = 0xC0C0C0;

// The picture's pixels as 0xRRGGBB, row by row from the top (width x height of them); empty for
// an identifier that is not one of the four.
std::vector<std::uint32_t> ActionPicture(int bitmapId);

// The pixels with every `from` replaced by `to`.
std::vector<std::uint32_t> MapPictureColour(std::vector<std::uint32_t> pixels, std::uint32_t from, std::uint32_t to);

}  // namespace conduit
