#pragma once
// Maidenhead grid locators ("IO91wm"): the way radio amateurs give a position.
// Fields of 20 x 10 degrees (letters A..R), squares of 2 x 1 degrees (digits 0..9),
// subsquares of 5 x 2.5 minutes (letters a..x). Plain degrees on the WGS84 grid; the
// 22/7 approximation of the distance computation plays no part here.

#include <optional>
#include <string>
#include <string_view>

#include "data/GeoPoint.h"

namespace harkola {

// The 6-character locator of a position: field letters in capitals, subsquare letters
// in lower case. Any longitude is taken modulo 360; latitude 90 counts as the top row.
// Empty when the latitude lies outside -90..90 or is not a finite number.
std::string locatorFromPosition(double latitude, double longitude);

// The centre of a 4- or 6-character locator, letters in either case, surrounding
// blanks ignored. Nothing for any other text.
std::optional<GeoPoint> locatorCentre(std::string_view locator);

// An angle split for the data files: whole degrees, whole minutes (rounded to the
// nearest minute, 59.5' carrying into the next degree) and the sign.
struct DegMin {
  int degrees = 0;
  int minutes = 0;
  bool negative = false;  // south or west
};
DegMin toDegMin(double degrees);

}  // namespace harkola
