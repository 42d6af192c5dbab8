#pragma once
// Every serializable model class is entered in the archive's by-name table here, so
// that a file can name it even when no code of the program refers to the class.

// Registers every model class and fills the class-version maps of the save formats.
// Safe to call more than once; the program calls it before the first file is read.
void RegisterModelClasses();

void RegisterEntityClasses();
void RegisterUndoClasses();
void RegisterAttributesClasses();
void RegisterTopologyClasses();
void RegisterCurvesClasses();
void RegisterImagesClasses();
void RegisterConstructionClasses();
void RegisterMaterialsClasses();
void RegisterSettingsClasses();
void RegisterModelRootClasses();
void RegisterDimensionsClasses();
void RegisterComponentsClasses();
void RegisterPagesClasses();
