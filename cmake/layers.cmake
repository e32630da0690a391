# The layers of the program, lowest first: one row per layer, the folders of a
# row separated by commas. A source file may include headers of its own folder
# and of folders in lower rows, never of a folder in its own row or a higher
# one; each folder's library links only libraries of lower rows. tests/,
# tools/ and bench/ stand above every row.
set(ZV_LAYERS
    text
    "web,store,imaging"
    "readers,view"
    "queries,charts"
    app)

# The folders that need Qt; a build with ZV_QT=OFF leaves them out.
set(ZV_QT_FOLDERS view queries charts app)

# ZV_LAYER_FOLDERS: every folder of the table, lowest first.
set(ZV_LAYER_FOLDERS)
foreach(row IN LISTS ZV_LAYERS)
  string(REPLACE "," ";" row_folders "${row}")
  list(APPEND ZV_LAYER_FOLDERS ${row_folders})
endforeach()

# zv_layer_rank(<folder> <variable>): the row of folder, from 0; -1 for a
# folder not in the table.
function(zv_layer_rank folder variable)
  set(rank 0)
  foreach(row IN LISTS ZV_LAYERS)
    string(REPLACE "," ";" row_folders "${row}")
    if(folder IN_LIST row_folders)
      set(${variable} ${rank} PARENT_SCOPE)
      return()
    endif()
    math(EXPR rank "${rank} + 1")
  endforeach()
  set(${variable} -1 PARENT_SCOPE)
endfunction()
