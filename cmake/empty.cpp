// Keeps a library that has only headers a real archive.
