#pragma once
// The advance widths of the built-in fonts, codes 33..126 in 1/1000 of the font
// size. They are the program's own metrics, the same for both styles, and rule
// over the source font's (its apostrophe is narrower).

#include <array>
#include <cstdint>

namespace velorina::fontgen {

inline constexpr std::array<std::int16_t, 94> kAdvanceWidths = {
    // ! " # $ % & ' ( ) * + , - . /
    333, 408, 500, 500, 833, 778, 333, 333, 333, 500, 564, 250, 333, 250, 278,
    // 0..9
    500, 500, 500, 500, 500, 500, 500, 500, 500, 500,
    // : ; < = > ? @
    278, 278, 564, 564, 564, 444, 921,
    // A..M
    722, 667, 667, 722, 611, 556, 722, 722, 333, 389, 722, 611, 889,
    // N..Z
    722, 722, 556, 722, 667, 556, 611, 722, 722, 944, 722, 722, 611,
    // [ \ ] ^ _ `
    333, 278, 333, 469, 500, 333,
    // a..m
    444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500, 278, 778,
    // n..z
    500, 500, 500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444,
    // { | } ~
    480, 200, 480, 541,
};

}  // namespace velorina::fontgen
