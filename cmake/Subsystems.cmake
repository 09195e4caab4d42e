# The subsystems and what each depends on. A subsystem appears here once its folder exists.
corvallen_subsystem(Platform CORE_DEPS PkgConfig::SQLITE3 Qt6::DBus)
corvallen_subsystem(Model CORE_DEPS corvallen_platform PkgConfig::POPPLER)
corvallen_subsystem(Devices CORE_DEPS corvallen_platform)
corvallen_subsystem(Sync CORE_DEPS corvallen_model corvallen_platform)
corvallen_subsystem(Shell CORE_DEPS corvallen_model corvallen_platform corvallen_sync corvallen_backup Qt6::DBus UI_DEPS corvallen_platform_ui corvallen_devices_ui)
corvallen_subsystem(Backup CORE_DEPS corvallen_model PkgConfig::LIBZIP)

set(CORVALLEN_CORE_LIBS corvallen_platform corvallen_model corvallen_devices corvallen_sync corvallen_shell corvallen_backup)
set(CORVALLEN_UI_LIBS corvallen_platform_ui corvallen_model_ui corvallen_devices_ui corvallen_sync_ui corvallen_shell_ui corvallen_backup_ui)
