// Writes what the window shows as a PNG, for the review pictures of tools/.
#pragma once

bool writeWindowPng(const char* path, int width, int height);
