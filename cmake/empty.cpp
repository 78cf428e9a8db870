// Keeps a module with no sources of its own a valid library.
