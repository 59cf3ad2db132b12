// Keeps the library non-empty before its first widget lands.
