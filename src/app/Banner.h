#pragma once

// The start-up banner (four lines) and the usage text (fourteen lines), both at level 1.
void PrintBanner();
void PrintUsage();
