#pragma once
// The application's embedded images and built-in strings.

// Registers them (again): a language file's strings are replaced by the built-in ones.
void RegisterAppResources();
