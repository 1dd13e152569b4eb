# Display scales: the DPI services and the pictures drawn for each scale.
target_sources(vqsetup_core PRIVATE src/services/Dpi.cpp src/services/ScaledImages.cpp)
