// Data shaped like a large camera JPEG: headers, then entropy-coded bytes with
// stuffed FF00 pairs and a restart marker every few kilobytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Produces size bytes in pieces, so a file can be made without holding it.
void GenerateJpegLike(size_t size, const std::function<void(const uint8_t*, size_t)>& sink);

std::vector<uint8_t> MakeJpegLikeBuffer(size_t size);
void WriteJpegLikeFile(const std::string& path, size_t size);
