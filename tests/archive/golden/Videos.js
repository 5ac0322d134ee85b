var Content={
	"Version":	{
		"Current":	"1.0.0"
	},
	"0":	{
		"SessionID":	"20",
		"Title":	"Trip",
		"Displayname":	"Trip.mp4",
		"Filename":	"Trip",
		"Suffix":	".mp4",
		"Duration":	"01:02:05",
		"Filesize":	"1500000",
		"Modiftime":	"2024-03-05 14:07:09",
		"Createtime":	"1970-01-01 00:00:00",
		"isDelete":	"0"
	}
};