@echo off
rem Restarts the Imail queue manager so that it reads the changed blacklist.
net stop "IMail Queue Manager"
net start "IMail Queue Manager"
