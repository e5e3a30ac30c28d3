#pragma once

namespace resources {

// Registers the embedded pages, scripts, images and the message sound (":/html", ":/js", ":/images").
// Call once before the first window loads a page or an image; later calls do nothing.
void init();

} // namespace resources
