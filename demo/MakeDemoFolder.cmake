# Places the demo data into the demo program folder, replacing what the demo
# shows left there before.
file(MAKE_DIRECTORY ${DEMO_DIR}/Database ${DEMO_DIR}/Language ${DEMO_DIR}/FormsDesignPosition)
file(COPY_FILE ${DEMO_DB} ${DEMO_DIR}/Database/DB.mdb.tmp)
file(RENAME ${DEMO_DIR}/Database/DB.mdb.tmp ${DEMO_DIR}/Database/DB.mdb)
file(COPY_FILE ${SHOW_INI} ${DEMO_DIR}/Database/Show.ini)
file(COPY_FILE ${SYSTEM_INI} ${DEMO_DIR}/Database/System.ini)
# SHIPPED: the shipped Language/ and FormsDesignPosition/ files, relative to DATA_DIR.
foreach(rel IN LISTS SHIPPED)
  get_filename_component(dir ${DEMO_DIR}/${rel} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(COPY_FILE ${DATA_DIR}/${rel} ${DEMO_DIR}/${rel} ONLY_IF_DIFFERENT)
endforeach()
