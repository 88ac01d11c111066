# The views: QML files of the module "Pinstrip" and the C++ types they use.
target_sources(PinstripApp PRIVATE
    StoreListModel.h StoreListModel.cpp
    TodoStoreForeign.h
    ItemListModel.h ItemListModel.cpp
    ArchiveModel.h ArchiveModel.cpp
    RowMenu.h RowMenu.cpp
    SymbolIcon.h SymbolIcon.cpp
)

set(pinstrip_view_qml ContentView StripPill StripHeader EmptyRow TodoRow AllDoneRow InputRow
    HistoryView IconButton HoverTip Theme Texts)
set(pinstrip_view_qml_files)
foreach(name IN LISTS pinstrip_view_qml)
    # Served at qrc:/qt/qml/Pinstrip/<Name>.qml, next to the module's qmldir.
    set_source_files_properties(qml/${name}.qml PROPERTIES QT_RESOURCE_ALIAS ${name}.qml)
    list(APPEND pinstrip_view_qml_files qml/${name}.qml)
endforeach()
set_source_files_properties(qml/Theme.qml qml/Texts.qml PROPERTIES QT_QML_SINGLETON_TYPE TRUE)
qt_target_qml_sources(PinstripApp QML_FILES ${pinstrip_view_qml_files})
