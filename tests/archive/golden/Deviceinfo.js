var Content={
	"Version":	{
		"Current":	"2.0.0"
	},
	"DeviceInfo":	{
		"Device_Name":	"samsung",
		"Serial_Number":	"R58M12",
		"Device_Type":	"SM-G900F",
		"Device_Version":	"11"
	}
};