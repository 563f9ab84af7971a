// What the first-paint benchmark and the library it preloads share: the
// descriptor that the library writes one byte to at the first paint of a
// top-level window.
#pragma once

inline constexpr int kFirstPaintDescriptor = 3;
